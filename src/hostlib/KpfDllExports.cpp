// The host library's C face (include/kpf_dll.h): every function it exports, each a thin call
// into the library. Texts go out through the caller's buffer (TextBuffer.h).
#include "ADOConnectionString.h"
#include "Exceptions.h"
#include "Geralkvr.h"
#include "HostObserver.h"
#include "HostWindow.h"
#include "ScheduledClick.h"
#include "SysUtils.h"
#include "TextBuffer.h"
#include "kpf_dll.h"

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

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

KPF_DLL_EXPORT int KpfDll_Version(void)
{
    return KPF05520_VERSION_NUMBER;
}

KPF_DLL_EXPORT void KpfDll_SetConnectionString(const char *utf8)
{
    Geralkvr::SetStringConexKvr(utf8 ? QString::fromUtf8(utf8) : QString());
}

KPF_DLL_EXPORT void KpfDll_SetMessageObserver(KpfDll_MessageCallback cb, void *context)
{
    KpfDll::SetMessageObserver(cb, context);
}

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

KPF_DLL_EXPORT int KpfDll_GetQtConnection(char *buffer, int size)
{
    const QByteArray utf8 = QtConnectionJson();
    return KpfDll::CopyOut(utf8, buffer, size);
}

KPF_DLL_EXPORT void KpfDll_SetHostWindow(unsigned long nativeWindowId)
{
    HostWindow::Instance().Set(nativeWindowId);
}

// Automation, for integration tests and demos.

KPF_DLL_EXPORT void KpfDll_SetAutoAcknowledge(int on)
{
    KpfDll::SetAutoAcknowledge(on != 0);
}

KPF_DLL_EXPORT int KpfDll_ScheduleClick(const char *controlName, int delayMs)
{
    if (!controlName || !*controlName ||
        !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return -1;
    new ScheduledClick(QString::fromUtf8(controlName), delayMs);
    return 0;
}
}
