#pragma once

#include "kpf_test.h"

#include <QObject>

// Tells the host each time the screen's status changes (KpfTest_SetScreenObserver). It watches
// the application's window events (show, hide, activation, modality) and looks again once the
// event loop has handled them, so that the screen's own reaction (its activation handler) has run.
class ScreenWatcher : public QObject
{
    Q_OBJECT

public:
    ScreenWatcher(KpfTest_ScreenCallback callback, void *context);
    ~ScreenWatcher() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Recheck();

    KpfTest_ScreenCallback m_callback;
    void *m_context;
    int m_reported;
    bool m_recheckQueued = false;
};
