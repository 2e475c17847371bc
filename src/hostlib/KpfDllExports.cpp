#include "KpfDllExports.h"

#include "Geralkvr.h"
#include "kpf_dll.h"

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

} // namespace KpfDll

extern "C" {

KPF_DLL_EXPORT void KpfDll_SetConnectionString(const char *utf8)
{
    Geralkvr::SetStringConexKvr(utf8 ? QString::fromUtf8(utf8) : QString());
}

KPF_DLL_EXPORT void KpfDll_SetMessageObserver(KpfDll_MessageCallback cb, void *context)
{
    const QMutexLocker lock(&observerMutex());
    observer() = Observer{cb, cb ? context : nullptr};
}

KPF_DLL_EXPORT void KpfDll_SetAutoAcknowledge(int on)
{
    autoAcknowledge.store(on != 0);
}
}
