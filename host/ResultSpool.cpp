#include "ResultSpool.h"

#include "OutFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

ResultSpool::ResultSpool(const QString &directory)
    : m_directory(directory.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                            QStringLiteral("/spool")
                      : directory)
{
}

QString ResultSpool::Keep(const QByteArray &packet, const QStringList &key, QString *error) const
{
    if (!QDir().mkpath(m_directory)) {
        *error = QCoreApplication::translate("kpfhost", "não foi possível criar a pasta %1")
                     .arg(m_directory);
        return {};
    }
    // Only what a file name can hold of the key, which the host gave as it is.
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_.-]"));
    QString name = key.join(QLatin1Char('_'));
    name.replace(unsafe, QStringLiteral("_"));
    const QString file = QDir(m_directory)
                             .filePath(QStringLiteral("%1-%2-%3.xml")
                                           .arg(QDateTime::currentDateTime().toString(
                                                    QStringLiteral("yyyyMMdd'T'HHmmsszzz")),
                                                name)
                                           .arg(QCoreApplication::applicationPid()));
    return OutFile::Write(file, packet, error) ? file : QString();
}

QStringList ResultSpool::Files() const
{
    const QDir directory(m_directory);
    QStringList files;
    for (const QString &name :
         directory.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name))
        files << directory.filePath(name);
    return files;
}
