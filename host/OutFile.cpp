#include "OutFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString SystemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool SameFile(const struct stat &a, int fd)
{
    struct stat b {
    };
    return ::fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool OutFile::Write(const QString &name, const QByteArray &bytes, QString *error)
{
    const QByteArray path = QFile::encodeName(name);
    struct stat target {
    };
    if (::stat(path.constData(), &target) != 0) {
        if (errno != ENOENT) {
            *error = QCoreApplication::translate("kpfhost", "não foi possível gravar %1: %2")
                         .arg(name, SystemError(errno));
            return false;
        }
        return Replace(name, bytes, error);
    }
    for (FILE *stream : {stdout, stderr}) {
        if (!SameFile(target, ::fileno(stream)))
            continue;
        if (std::fflush(stream) == 0 && WriteAll(::fileno(stream), bytes))
            return true;
        *error = QCoreApplication::translate("kpfhost", "não foi possível gravar %1: %2")
                     .arg(name, SystemError(errno));
        return false;
    }
    if (!S_ISREG(target.st_mode))
        return WriteInto(name, bytes, error);
    // A link to a file replaces the file it points at, not the link.
    return Replace(QFileInfo(name).canonicalFilePath(), bytes, error);
}

bool OutFile::WriteAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

bool OutFile::WriteInto(const QString &name, const QByteArray &bytes, QString *error)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && WriteAll(fd, bytes);
    int code = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok)
        ok = false, code = errno;
    if (!ok)
        *error = QCoreApplication::translate("kpfhost", "não foi possível gravar %1: %2")
                     .arg(name, SystemError(code));
    return ok;
}

// The new packet goes to a file of its own in the same directory, with the earlier file's
// permissions, and takes the earlier one's place only once it is whole on the disk.
bool OutFile::Replace(const QString &target, const QByteArray &bytes, QString *error)
{
    const bool existed = QFileInfo::exists(target);
    const QString temporary =
        target + QStringLiteral(".kpfhost-") + QUuid::createUuid().toString(QUuid::Id128);
    const QByteArray tempPath = QFile::encodeName(temporary);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat earlier {
    };
    const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && (!existed || (::stat(targetPath.constData(), &earlier) == 0 &&
                                       ::fchmod(fd, earlier.st_mode & 07777) == 0));
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int code = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok)
        ok = false, code = errno;
    if (ok && ::rename(tempPath.constData(), targetPath.constData()) != 0)
        ok = false, code = errno;
    if (ok)
        return true;
    if (fd >= 0)
        ::unlink(tempPath.constData());
    *error =
        QCoreApplication::translate("kpfhost", "não foi possível gravar %1: %2; %3")
            .arg(target, SystemError(code),
                 existed ? QCoreApplication::translate("kpfhost",
                                                       "o arquivo anterior ficou como estava")
                         : QCoreApplication::translate("kpfhost", "nenhum arquivo foi criado"));
    return false;
}
