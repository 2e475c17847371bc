#pragma once

#include <QByteArray>
#include <QString>

// --out: the returned packet, written whole or not at all. A regular file (or a new one) is
// replaced through a file beside it, so that a failed write, flush or close leaves an earlier file
// as it was; a device, a FIFO or a terminal is written into directly, never replaced by a file;
// kpfhost's own standard output or error is written through its stream, so the report around the
// packet stays.
class OutFile
{
public:
    // False with the reason in *error (which also says what became of an earlier file).
    static bool Write(const QString &name, const QByteArray &bytes, QString *error);

private:
    static bool Replace(const QString &target, const QByteArray &bytes, QString *error);
    static bool WriteInto(const QString &name, const QByteArray &bytes, QString *error);
    static bool WriteAll(int fd, const QByteArray &bytes);
};
