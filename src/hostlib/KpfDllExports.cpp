#include "KpfDllExports.h"

#include "ADOConnectionString.h"
#include "EventGuard.h"
#include "Exceptions.h"
#include "Geralkvr.h"
#include "KpfMessageBox.h"
#include "SysUtils.h"
#include "kpf_dll.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <atomic>
#include <cstring>

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

int CopyOut(const QByteArray &utf8, char *buffer, int size)
{
    if (buffer && size > 0) {
        const int copied = std::min<int>(size - 1, int(utf8.size()));
        std::memcpy(buffer, utf8.constData(), size_t(copied));
        buffer[copied] = '\0';
    }
    return int(utf8.size());
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
    WatchErrorBoxes();
}

KPF_DLL_EXPORT void KpfDll_SetAutoAcknowledge(int on)
{
    autoAcknowledge.store(on != 0);
    WatchErrorBoxes();
}
}

extern "C" {

KPF_DLL_EXPORT int KpfDll_GetConnectionString(char *buffer, int size)
{
    const QByteArray utf8 = Geralkvr::_GetStringConexKvr(QString()).toUtf8();
    return KpfDll::CopyOut(utf8, buffer, size);
}

KPF_DLL_EXPORT void KpfDll_SetProgramDirectory(const char *utf8Dir)
{
    const QString dir = utf8Dir ? QString::fromUtf8(utf8Dir) : QString();
    // ParamStr(0) only ever serves for its directory, so the file name is a stand-in.
    SetProgramPathOverride(dir.isEmpty() ? QString()
                                         : QDir(dir).absoluteFilePath(QStringLiteral("host")));
}
}

namespace
{

// The module's data module names no provider of its own in code; its definition's is this one.
const QString kModuleProvider = QStringLiteral("MSDAORA.1");

QByteArray QtConnectionJson()
{
    QJsonObject description;
    try {
        const ADOConnectionString::QtSettings settings =
            ADOConnectionString::Parse(Geralkvr::_GetStringConexKvr(QString()))
                .ToQt(kModuleProvider);
        description.insert(QStringLiteral("driver"), settings.driver);
        description.insert(QStringLiteral("databaseName"), settings.databaseName);
        description.insert(QStringLiteral("hostName"), settings.host);
        description.insert(QStringLiteral("port"), settings.port);
        description.insert(QStringLiteral("userName"), settings.userName);
        // As ApplyTo does: QODBC carries the password inside databaseName, braced.
        description.insert(QStringLiteral("password"),
                           settings.driver == u"QODBC" ? QString() : settings.password);
        description.insert(QStringLiteral("connectOptions"), settings.connectOptions);
        description.insert(QStringLiteral("description"), settings.description);
    } catch (const Exception &e) {
        description = QJsonObject{{QStringLiteral("error"), e.Message()}};
    }
    return QJsonDocument(description).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" {

KPF_DLL_EXPORT int KpfDll_GetQtConnection(char *buffer, int size)
{
    const QByteArray utf8 = QtConnectionJson();
    return KpfDll::CopyOut(utf8, buffer, size);
}
}
