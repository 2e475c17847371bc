#include "HostObserver.h"

#include "EventGuard.h"
#include "KpfMessageBox.h"

#include <QMutex>
#include <QMutexLocker>
#include <atomic>

namespace
{
struct Observer {
    KpfDll_MessageCallback callback = nullptr;
    void *context = nullptr;
};

QMutex &observerMutex()
{
    static QMutex mutex;
    return mutex;
}

Observer &observer()
{
    static Observer current;
    return current;
}

std::atomic<bool> autoAcknowledge{false};

// The platform's error box is a box the module shows too: the observer hears of it and, in the
// automated mode, it is acknowledged like the library's own.
void WatchErrorBoxes()
{
    SetErrorBoxHook([](QWidget &box, const QString &message) {
        KpfDll::NotifyMessage(message, TTipoMsg::tmErro);
        if (KpfDll::AutoAcknowledge())
            KpfMessageBox::AcknowledgeLater(&box);
    });
}
} // namespace

namespace KpfDll
{

void NotifyMessage(const QString &text, TTipoMsg kind)
{
    Observer current;
    {
        const QMutexLocker lock(&observerMutex());
        current = observer();
    }
    if (!current.callback)
        return;
    const QByteArray utf8 = text.toUtf8();
    current.callback(utf8.constData(), static_cast<int>(kind), current.context);
}

bool AutoAcknowledge()
{
    return autoAcknowledge.load();
}

void SetMessageObserver(KpfDll_MessageCallback callback, void *context)
{
    {
        const QMutexLocker lock(&observerMutex());
        observer() = Observer{callback, callback ? context : nullptr};
    }
    WatchErrorBoxes();
}

void SetAutoAcknowledge(bool on)
{
    autoAcknowledge.store(on);
    WatchErrorBoxes();
}

} // namespace KpfDll
