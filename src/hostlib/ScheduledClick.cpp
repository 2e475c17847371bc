#include "ScheduledClick.h"

#include "TForm.h"

#include <QApplication>
#include <QList>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace
{
// The clicks that are due and not yet played, in the order they fell due; the first one waits.
QList<ScheduledClick *> &due()
{
    static QList<ScheduledClick *> clicks;
    return clicks;
}
} // namespace

ScheduledClick::ScheduledClick(const QString &controlName, int delayMs)
    : QObject(QCoreApplication::instance()), m_controlName(controlName)
{
    m_timer.setSingleShot(true);
    // Coarse timers move a timeout by up to 5 % of its interval, so clicks scheduled a little
    // apart would fall due out of their order.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScheduledClick::FallDue);
    m_timer.start(std::max(0, delayMs));
}

ScheduledClick::~ScheduledClick()
{
    due().removeOne(this);
}

QWidget *ScheduledClick::FindControl(const QString &controlName)
{
    // Only on a window in front: nothing modal over it.
    const auto usable = [](const QWidget *w) {
        const QWidget *modal = QApplication::activeModalWidget();
        return w && w->isVisible() && w->isEnabled() && (!modal || modal == w->window());
    };
    if (QWidget *modal = QApplication::activeModalWidget()) {
        auto *control = modal->findChild<QWidget *>(controlName);
        if (usable(control))
            return control;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        auto *control = window->findChild<QWidget *>(controlName);
        if (usable(control))
            return control;
    }
    return nullptr;
}

void ScheduledClick::Click(QWidget *control)
{
    Click(control, control->rect().center());
}

namespace
{
// What a spontaneous press does before it reaches the control: the focus goes to the first
// widget under the point, from the control outwards, that takes it on a click.
void GiveFocusAsAPressWould(QWidget *control, QPoint local)
{
    for (QWidget *widget = control; widget; widget = widget->parentWidget()) {
        if (widget->isEnabled() && widget->rect().contains(local) &&
            (widget->focusPolicy() & Qt::ClickFocus)) {
            widget->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (widget->isWindow())
            return;
        local += widget->pos();
    }
}
} // namespace

void ScheduledClick::Click(QWidget *control, const QPoint &local)
{
    const QPointF global = control->mapToGlobal(QPointF(local));
    // The press may run a handler that closes the window: the release only goes to a live control.
    const QPointer<QWidget> target = control;
    GiveFocusAsAPressWould(control, local);
    if (!target)
        return;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    if (!target)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target.data(), &release);
}

void ScheduledClick::FallDue()
{
    due().append(this);
    if (due().first() == this)
        StartWaiting();
}

void ScheduledClick::StartWaiting()
{
    disconnect(&m_timer, nullptr, this, nullptr);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        qWarning("KpfDll_ScheduleClick: no control \"%s\" appeared; the click is dropped",
                 qUtf8Printable(m_controlName));
        Done();
    });
    m_timer.start(GiveUpMs);
    QCoreApplication::instance()->installEventFilter(this);
    Attempt();
}

bool ScheduledClick::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::EnabledChange:
    case QEvent::WindowActivate:
    case QEvent::WindowUnblocked:
        QueueAttempt();
        break;
    default:
        if (event->type() == TForm::ActivatedEventType())
            QueueAttempt();
        break;
    }
    return false;
}

// After the event has been handled: the window's reaction (its activation handler) runs first.
void ScheduledClick::QueueAttempt()
{
    if (m_attemptQueued || m_done)
        return;
    m_attemptQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_attemptQueued = false;
        Attempt();
    });
}

void ScheduledClick::Attempt()
{
    if (m_done)
        return;
    QWidget *control = FindControl(m_controlName);
    if (!control)
        return;
    // Only once its window is active: a screen does its start-up work (loading the stored lines)
    // on its activation, which is the application's and comes without the window system's focus
    // too. Another window (a box) is ready when it is in front.
    QWidget *window = control->window();
    const auto *form = qobject_cast<const TForm *>(window);
    if (form ? !form->Active()
             : !window->isActiveWindow() && QApplication::activeModalWidget() != window) {
        window->activateWindow();
        return;
    }
    Done();
    Click(control);
}

// The next due click starts waiting once this one has been played (or dropped).
void ScheduledClick::Done()
{
    m_done = true;
    m_timer.stop();
    QCoreApplication::instance()->removeEventFilter(this);
    due().removeOne(this);
    if (!due().isEmpty()) {
        ScheduledClick *next = due().first();
        QTimer::singleShot(0, next, [next] { next->StartWaiting(); });
    }
    deleteLater();
}
