#include "TForm.h"

#include "EventGuard.h"
#include "Exceptions.h"
#include "FormBinding.h"
#include "HandlerBinding.h"
#include "TDataSet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

namespace
{

// The character a key press types, as the form's key-press handler sees it; a null QChar for keys
// that type nothing (arrows, function keys, Delete, and anything held with Ctrl or Alt).
QChar TypedChar(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return {};
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() != 1)
        return {};
    const QChar c = text.at(0);
    return (c.unicode() < 0x20 || c.unicode() == 0x7f) ? QChar() : c;
}

bool IsTransient(const QWidget *window)
{
    return window && window->property("kpfTransient").toBool();
}

} // namespace

TForm::TForm(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setSizeGripEnabled(false);
    if (qApp)
        qApp->installEventFilter(this);
}

TForm::~TForm()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

int TForm::ShowModal()
{
    if (isVisible())
        throw Exception(QStringLiteral("Cannot make a visible window modal"));
    return exec();
}

void TForm::Close()
{
    if (isVisible())
        done(mrCancel);
}

TForm::TWindowState TForm::WindowState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return wsMinimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    switch (state) {
    case wsMinimized:
        setWindowState(Qt::WindowMinimized);
        break;
    case wsMaximized:
        setWindowState(Qt::WindowMaximized);
        break;
    case wsNormal:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void TForm::SetClientSize(int width, int height)
{
    setFixedSize(width, height);
}

int TForm::ResolveOwnHandler(const char *property, const char *parameters)
{
    const QString name = HandlerBinding::DynamicText(this, property);
    if (name.isEmpty())
        return -1;
    return HandlerBinding::RequireHandler(this, name, parameters, this);
}

// A control's onKeyDown is run by the control itself; a missing handler is a screen-definition
// error, so it is reported here at creation rather than at the first key.
void TForm::CheckControlKeyHandlers()
{
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const QString name = HandlerBinding::DynamicText(control, "onKeyDown");
        if (!name.isEmpty() && control->window() == this)
            HandlerBinding::RequireHandler(this, name, HandlerBinding::kKeyEvent, control);
    }
}

void TForm::FormCreated()
{
    using namespace HandlerBinding;
    m_keyDownHandler = ResolveOwnHandler("onKeyDown", kKeyEvent);
    m_keyPressHandler = ResolveOwnHandler("onKeyPress", kKeyPressEvent);
    m_activateHandler = ResolveOwnHandler("onActivate", kNotifyEvent);
    m_destroyHandler = ResolveOwnHandler("onDestroy", kNotifyEvent);
    const int createHandler = ResolveOwnHandler("onCreate", kNotifyEvent);
    HandlerBinding::BindClicks(this, this);
    const QList<TDataSet *> dataSets = findChildren<TDataSet *>();
    for (TDataSet *dataSet : dataSets)
        HandlerBinding::BindDataSetHooks(this, dataSet);
    CheckControlKeyHandlers();
    m_created = true;
    if (createHandler >= 0) {
        // Errors of onCreate travel to whoever creates the form.
        QObject *sender = this;
        void *argv[] = {nullptr, &sender};
        HandlerBinding::Invoke(this, createHandler, argv);
    }
}

void TForm::FormDestroying()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    if (qApp)
        qApp->removeEventFilter(this);
    if (m_destroyHandler >= 0) {
        QObject *sender = this;
        void *argv[] = {nullptr, &sender};
        RunHandler(m_destroyHandler, argv);
    }
}

void TForm::RunHandler(int methodIndex, void **argv)
{
    RunGuarded([this, methodIndex, argv] { HandlerBinding::Invoke(this, methodIndex, argv); });
}

bool TForm::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowActivate)
        WatchOtherWindows(watched);
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    if (!watched->isWidgetType() || m_destroyed)
        return false;
    auto *receiver = static_cast<QWidget *>(watched);
    if (receiver->window() != this)
        return false;
    if (type != QEvent::KeyPress) {
        // A new key is on its way: whatever was delivered before is finished.
        m_previewedEvent = nullptr;
        return false;
    }
    if (!IsFirstDelivery(receiver, event))
        return false;
    return PreviewKey(static_cast<QKeyEvent *>(event));
}

// Qt offers an ignored key press to each parent of the receiver in turn; those offers of the same
// event are not new keys.
bool TForm::IsFirstDelivery(QWidget *receiver, QEvent *event)
{
    if (event == m_previewedEvent && m_previewedReceiver && receiver != m_previewedReceiver &&
        receiver->isAncestorOf(m_previewedReceiver))
        return false;
    m_previewedEvent = event;
    m_previewedReceiver = receiver;
    return true;
}

bool TForm::PreviewKey(QKeyEvent *event)
{
    QObject *sender = this;
    if (m_keyDownHandler >= 0) {
        Word key = VirtualKeyFromQt(event->key());
        TShiftState shift = ShiftStateFromQt(event->modifiers());
        if (key != 0) {
            void *argv[] = {nullptr, &sender, &key, &shift};
            bool ended = false;
            RunGuarded([&] {
                HandlerBinding::Invoke(this, m_keyDownHandler, argv);
                ended = true;
            });
            if (!ended || key == 0)
                return true; // discarded: neither the key press handler nor the control see it
        }
    }
    QChar typed = TypedChar(event);
    if (m_keyPressHandler >= 0 && !typed.isNull()) {
        void *argv[] = {nullptr, &sender, &typed};
        RunHandler(m_keyPressHandler, argv);
    }
    return false;
}

bool TForm::event(QEvent *event)
{
    const bool result = QDialog::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowUnblocked:
        QueueActivationCheck();
        break;
    case QEvent::WindowActivate:
        Activate();
        break;
    case QEvent::WindowBlocked:
        // A box over the form leaves it the active form; any other window in front ends that.
        if (QWidget *modal = QApplication::activeModalWidget();
            modal && modal != this && !IsTransient(modal))
            Deactivate();
        break;
    case QEvent::Hide:
        m_ownsActivation = false; // showing the form again is a new activation
        break;
    default:
        break;
    }
    return result;
}

QEvent::Type TForm::ActivatedEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// The window system's activation of another window of the application, other than a box, ends
// the form's; the window system's deactivation of the form alone (leaving the program) does not.
void TForm::WatchOtherWindows(const QObject *watched)
{
    const auto *window = qobject_cast<const QWidget *>(watched);
    if (window && window->isWindow() && window != this && !IsTransient(window) && isVisible())
        Deactivate();
}

// After the event that may have brought the form to the front has been handled, so that the
// activation runs in the modal loop, as the window system's would.
void TForm::QueueActivationCheck()
{
    if (m_ownsActivation || m_checkQueued)
        return;
    m_checkQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_checkQueued = false;
        ActivateIfInFront();
    });
}

void TForm::ActivateIfInFront()
{
    if (m_ownsActivation || !isVisible() || m_destroyed)
        return;
    // Something of the application in front: its closing (WindowUnblocked) looks again.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this)
        return;
    activateWindow(); // the keyboard focus, where the window system gives it
    Activate();
}

void TForm::Activate()
{
    if (m_ownsActivation || m_activating || !isVisible())
        return;
    m_ownsActivation = true;
    if (m_activateHandler >= 0 && !m_destroyed) {
        m_activating = true;
        QObject *sender = this;
        void *argv[] = {nullptr, &sender};
        RunHandler(m_activateHandler, argv);
        m_activating = false;
    }
    QEvent activated(ActivatedEventType());
    QCoreApplication::sendEvent(this, &activated);
}

// Not while onActivate runs: what it opens in front of the form belongs to this activation.
void TForm::Deactivate()
{
    if (!m_activating)
        m_ownsActivation = false;
}

// Qt's dialog closes on Escape and presses the default button on Enter; this form does neither:
// keys belong to the form's own handlers.
void TForm::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}

void TForm::closeEvent(QCloseEvent *event)
{
    Close();
    event->accept();
}

void TForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnScreen();
    QDialog::showEvent(event);
}

void TForm::CentreOnScreen()
{
    QScreen *screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    move(available.x() + (available.width() - width()) / 2,
         available.y() + (available.height() - height()) / 2);
}
