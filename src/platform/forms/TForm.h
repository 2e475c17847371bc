#pragma once

#include "Keys.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>

// The platform's form: a borderless QDialog of fixed client size, centred on the screen, with key
// preview (the form's onKeyDown/onKeyPress handlers see every key before the focused control) and
// create / destroy / activate events bound by name through dynamic properties of the form itself
// (onCreate, onDestroy, onActivate, onKeyDown, onKeyPress). QDialog's own Escape-closes and
// default-button behaviour are switched off. Every handler runs inside the event guard, except
// onCreate, whose errors reach the code that creates the form.
//
// Subclasses build their UI in the constructor and then call FormCreated(), which binds the
// handlers (HandlerBinding::BindClicks over the whole form, the hooks of every TDataSet child that
// names them, and checks every onKeyDown a control names) and runs onCreate. The destructor of a
// subclass calls FormDestroying() first, which runs onDestroy.
//
// onActivate runs when the form becomes the application's active form (Active()): when it is
// shown and nothing of the application is in front of it, even if the window system never gives
// it the focus (no window manager, a compositor without a seat), and again when it is in front
// once more after another window of the application was active or in front of it. A window with
// the dynamic property kpfTransient = true (a message or error box) does not count: neither its
// showing nor its closing makes a new activation. Nor does leaving the program. An activation
// while onActivate runs is not a new one. The window system's focus is asked for, and kept for
// the keyboard. Once the form has become active, it is sent an event of ActivatedEventType(), so
// that whoever waits for its start-up work can watch for it.
class TForm : public QDialog
{
    Q_OBJECT

public:
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    static constexpr int mrCancel = 2; // the modal result of Close()

    explicit TForm(QWidget *parent = nullptr);
    ~TForm() override;

    int ShowModal(); // centres, shows and runs the modal loop until Close
    void Close();    // ends the modal showing
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    // Sets a fixed client size (width x height in device-independent pixels).
    void SetClientSize(int width, int height);
    // The form is the application's active form: its onActivate has run for this activation.
    bool Active() const { return m_ownsActivation; }
    static QEvent::Type ActivatedEventType();

protected:
    void FormCreated();
    void FormDestroying();

    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    int ResolveOwnHandler(const char *property, const char *parameters);
    void CheckControlKeyHandlers();
    void CentreOnScreen();
    void Activate();
    void Deactivate();
    void ActivateIfInFront();
    void QueueActivationCheck();
    void WatchOtherWindows(const QObject *watched);
    bool IsFirstDelivery(QWidget *receiver, QEvent *event);
    // Key preview: returns true when onKeyDown set the key to 0 (the key is discarded).
    bool PreviewKey(QKeyEvent *event);
    void RunHandler(int methodIndex, void **argv);

    int m_keyDownHandler = -1;
    int m_keyPressHandler = -1;
    int m_activateHandler = -1;
    int m_destroyHandler = -1;
    bool m_created = false;
    bool m_destroyed = false;
    bool m_ownsActivation = false; // the application's active form
    bool m_activating = false;     // onActivate runs
    bool m_checkQueued = false;
    // The key press being delivered: Qt offers it to each parent the focused control ignores it
    // to, and the preview must see it only once.
    QEvent *m_previewedEvent = nullptr;
    QPointer<QWidget> m_previewedReceiver;
};
