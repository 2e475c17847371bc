#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The confirmed results that --store could not store (the server busy or gone, or the answer to
// its COMMIT lost), one returned packet a file, kept until --store-spool stores them. A file is
// written whole or not at all, named after its Z reduction and the time it was kept, so that the
// oldest is stored first.
class ResultSpool
{
public:
    // directory: empty for the default, QStandardPaths' AppLocalDataLocation + "/spool"
    // (~/.local/share/kpfhost/spool).
    explicit ResultSpool(const QString &directory);

    QString Directory() const { return m_directory; }
    // The file it was kept in, or empty with the reason in *error.
    QString Keep(const QByteArray &packet, const QStringList &key, QString *error) const;
    QStringList Files() const; // oldest first

private:
    QString m_directory;
};
