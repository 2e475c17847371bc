#include "RuntimeDirectory.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

void RuntimeDirectory::EnsureForQt()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const passwd *entry = ::getpwuid(::getuid());
    const QString user =
        entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(::getuid());
    const QString path = QDir::tempPath() + QStringLiteral("/runtime-") + user;
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return;
    if (IsPrivate(path))
        qputenv("XDG_RUNTIME_DIR", native);
}

bool RuntimeDirectory::IsPrivate(const QString &path)
{
    const QFileInfo info(path);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    return info.isDir() && !info.isSymLink() && info.ownerId() == ::getuid() &&
           info.permissions() == ownerOnly;
}
