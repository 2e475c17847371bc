#include "DemoHome.h"

#include "HostOutput.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

bool DemoHome::Make(const QString &home, const QString &dataDirectory, QString *error)
{
    if (!QDir().mkpath(home)) {
        *error = QStringLiteral("cannot create the directory %1").arg(home);
        return false;
    }
    return CopySetting(home, dataDirectory, QStringLiteral("PARAMETROSKVR.CDS"), error) &&
           CopySetting(home, dataDirectory, QStringLiteral("KAVIRON.CDS"), error) &&
           MakeDatabase(home, dataDirectory, error);
}

bool DemoHome::CopySetting(const QString &home, const QString &dataDirectory, const QString &name,
                           QString *error)
{
    const QString target = QDir(home).filePath(name);
    if (QFile::exists(target))
        return true;
    const QString source = QDir(dataDirectory).filePath(QStringLiteral("demo/") + name);
    if (!QFile::copy(source, target)) {
        *error = QStringLiteral("cannot copy %1 to %2").arg(source, target);
        return false;
    }
    // A copy keeps the installed file's read-only mode; the home's settings are the user's.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    HostOutput::Note(QStringLiteral("created %1").arg(target));
    return true;
}

bool DemoHome::MakeDatabase(const QString &home, const QString &dataDirectory, QString *error)
{
    const QString target = QDir(home).filePath(QStringLiteral("kpf05520.db"));
    if (QFile::exists(target))
        return true;
    QTemporaryFile building(QDir(home).filePath(QStringLiteral(".kpf05520.db.XXXXXX")));
    if (!building.open()) {
        *error = QStringLiteral("cannot create a file in %1").arg(home);
        return false;
    }
    const QString connection = QStringLiteral("kpfhost-demo-home");
    bool made = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(building.fileName());
        if (!db.open())
            *error = db.lastError().text();
        else
            made =
                RunScript(connection, QDir(dataDirectory).filePath(QStringLiteral("db/schema.sql")),
                          error) &&
                RunScript(connection, QDir(dataDirectory).filePath(QStringLiteral("db/demo.sql")),
                          error);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!made)
        return false;
    if (!building.rename(target)) {
        *error = QStringLiteral("cannot move the database to %1").arg(target);
        return false;
    }
    building.setAutoRemove(false);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    HostOutput::Note(QStringLiteral("created %1").arg(target));
    return true;
}

// The scripts hold one statement per group of lines, each ending with a semicolon at the end of
// a line; lines starting with "--" are comments. All of a script or none of it.
bool DemoHome::RunScript(const QString &connection, const QString &file, QString *error)
{
    QFile script(file);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(file);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(connection);
    db.transaction();
    QString statement;
    for (const QString &line : QString::fromUtf8(script.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (!line.trimmed().endsWith(QLatin1Char(';')))
            continue;
        QSqlQuery query(db);
        if (!query.exec(statement.trimmed())) {
            *error = QStringLiteral("%1: %2").arg(file, query.lastError().text());
            db.rollback();
            return false;
        }
        statement.clear();
    }
    return db.commit();
}
