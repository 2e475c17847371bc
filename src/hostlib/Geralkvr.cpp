#include "Geralkvr.h"

#include "SysUtils.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

namespace Geralkvr
{

namespace
{
// A host may set the string from another thread before the first screen opens.
QMutex &settingMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &hostSetting()
{
    static QString setting;
    return setting;
}

QString embeddedDefault()
{
    QString dir = ExtractFileDir(ParamStr(0));
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return QStringLiteral("Provider=SQLite;Data Source=%1")
        .arg(QDir(dir).filePath(QStringLiteral("kpf05520.db")));
}
} // namespace

QString _GetStringConexKvr(const QString &argument)
{
    Q_UNUSED(argument);
    {
        const QMutexLocker lock(&settingMutex());
        if (!hostSetting().isEmpty())
            return hostSetting();
    }
    const QString fromEnvironment = qEnvironmentVariable("KPF_CONNECTION");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return embeddedDefault();
}

void SetStringConexKvr(const QString &connectionString)
{
    const QMutexLocker lock(&settingMutex());
    hostSetting() = connectionString;
}

} // namespace Geralkvr
