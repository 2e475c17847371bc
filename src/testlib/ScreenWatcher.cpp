#include "ScreenWatcher.h"

#include "ScreenProbe.h"
#include "TForm.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

ScreenWatcher::ScreenWatcher(KpfTest_ScreenCallback callback, void *context)
    : m_callback(callback), m_context(context), m_reported(ScreenProbe::Status())
{
    QCoreApplication::instance()->installEventFilter(this);
}

ScreenWatcher::~ScreenWatcher()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool ScreenWatcher::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
    case QEvent::ApplicationStateChange:
        break;
    default:
        if (event->type() != TForm::ActivatedEventType())
            return false;
    }
    const auto *widget = qobject_cast<QWidget *>(watched);
    if ((widget && widget->isWindow()) || watched == QCoreApplication::instance()) {
        // A closed screen is told at once: the modal loop ends with it, and a queued look would
        // only run after the entry has returned.
        if (event->type() == QEvent::Hide && m_reported != KPF_SCREEN_NONE &&
            ScreenProbe::Status() == KPF_SCREEN_NONE) {
            Recheck();
            return false;
        }
        if (!m_recheckQueued) {
            m_recheckQueued = true;
            QTimer::singleShot(0, this, &ScreenWatcher::Recheck);
        }
    }
    return false;
}

void ScreenWatcher::Recheck()
{
    m_recheckQueued = false;
    const int status = ScreenProbe::Status();
    if (status == m_reported)
        return;
    m_reported = status;
    m_callback(status, m_context);
}
