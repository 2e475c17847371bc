#pragma once

#include "Keys.h"

#include <QDialog>

// The platform's form: a borderless QDialog of fixed client size, centred on the screen, with key
// preview (the form's onKeyDown/onKeyPress handlers see every key before the focused control) and
// create / destroy / activate events bound by name through dynamic properties of the form itself
// (onCreate, onDestroy, onActivate, onKeyDown, onKeyPress). QDialog's own Escape-closes and
// default-button behaviour are switched off. Every handler runs inside the event guard.
//
// Subclasses build their UI in the constructor and then call FormCreated(), which binds the
// handlers (HandlerBinding::BindClicks over the whole form) and runs onCreate. The destructor of a
// subclass calls FormDestroying() first, which runs onDestroy.
class TForm : public QDialog
{
    Q_OBJECT

public:
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };

    explicit TForm(QWidget *parent = nullptr);
    ~TForm() override;

    int ShowModal(); // centres, shows and runs the modal loop until Close
    void Close();    // ends the modal showing
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    // Sets a fixed client size (width x height in device-independent pixels).
    void SetClientSize(int width, int height);

protected:
    void FormCreated();
    void FormDestroying();

    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Key preview: returns true when onKeyDown set the key to 0 (the key is discarded).
    bool PreviewKey(QKeyEvent *event);
    int m_keyDownHandler = -1;
    int m_keyPressHandler = -1;
    int m_activateHandler = -1;
    int m_destroyHandler = -1;
    bool m_destroyed = false;
};
