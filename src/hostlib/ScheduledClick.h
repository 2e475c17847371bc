#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QPoint;
class QWidget;

// A click that a host's integration test asks for (KpfDll_ScheduleClick): after its delay it
// waits for the named control to be visible and enabled on the active window, then presses and
// releases the mouse at the control's centre, as an operator's touch would, and deletes itself.
// It waits by the application's window events (a show, an activation, a box closing), and the
// clicks that are due are played one after the other in the order they fell due, which is the
// order of their times.
class ScheduledClick : public QObject
{
    Q_OBJECT

public:
    static constexpr int GiveUpMs = 30000;

    ScheduledClick(const QString &controlName, int delayMs);
    ~ScheduledClick() override;

    // The control of that name, visible and enabled, on the active modal window, else on any
    // visible top-level window with nothing modal in front of it.
    static QWidget *FindControl(const QString &controlName);
    // An operator's touch: a press and a release at local (the control's centre by default), the
    // press giving the focus as a real one would. The one touch of KpfDll_ScheduleClick and of
    // the test library's touches.
    static void Click(QWidget *control);
    static void Click(QWidget *control, const QPoint &local);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FallDue();
    void StartWaiting();
    void Attempt();
    void QueueAttempt();
    void Done();

    QString m_controlName;
    QTimer m_timer;
    bool m_attemptQueued = false;
    bool m_done = false;
};
