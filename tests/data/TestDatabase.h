#pragma once

#include "DataPacket.h"
#include "Variant.h"

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

enum class Backend { SQLite, PostgreSQL, ODBC };

QString BackendName(Backend backend);

// The test server's settings from the environment that scripts/pg-start prints.
struct ServerSettings {
    QString host, port, user, password, database, dataDir, odbcDsn;
    static ServerSettings FromEnvironment();
    // A private cluster of scripts/pg-start (extra arguments beyond --no-odbc); empty settings
    // when it did not start. Stop it with RunScript("pg-stop", {dataDir}).
    static ServerSettings StartPrivate(const QStringList &arguments = {});
    // The variables scripts/pg-start prints, for a script run against this server.
    QMap<QString, QString> Variables() const;
    bool HasServer() const { return !host.isEmpty() && !port.isEmpty(); }
    bool HasOdbc() const { return HasServer() && !odbcDsn.isEmpty(); }
};

// Why a server test cannot run, or empty when it can. With KPF_REQUIRE_PG=1 the caller fails
// instead of skipping.
QString MissingServer(Backend backend);
// Why ServerSettings::StartPrivate cannot make a cluster here, or empty when it can.
QString MissingPrivateServer();
bool ServerRequired();

// In a fixture's SetUp: skips the test when its server is missing, or fails it when one is
// required.
#define KPF_SKIP_WITHOUT_SERVER(backend)                                                           \
    do {                                                                                           \
        if (const QString missing = MissingServer(backend); !missing.isEmpty()) {                  \
            if (ServerRequired())                                                                  \
                FAIL() << missing.toStdString() << " (KPF_REQUIRE_PG=1)";                          \
            GTEST_SKIP() << missing.toStdString();                                                 \
        }                                                                                          \
    } while (false)

// One fresh database with the schema and the demo data for one test: a SQLite file in a temporary
// folder, or a schema of its own on the test server (PostgreSQL directly or through ODBC).
// Admin() is a separate connection for setting up and inspecting data behind the module's back.
class TestDatabase
{
public:
    explicit TestDatabase(Backend backend,
                          const ServerSettings &server = ServerSettings::FromEnvironment());
    ~TestDatabase();

    Backend backend() const { return m_backend; }
    // The module's connection string for this database (no password for SQLite).
    QString ConnectionString() const { return m_connectionString; }
    QSqlDatabase Admin() const;
    // Runs statements on the admin connection; the test fails with the driver's text otherwise.
    bool Exec(const QString &sql) const;
    int Count(const QString &sql) const; // first column of the first row; -1 on error
    QString SQLiteFile() const { return m_sqliteFile; }
    QString Schema() const { return m_schema; } // on the server; empty for SQLite

private:
    void CreateSQLite();
    void CreateOnServer();
    bool RunScript(const QString &path) const;

    Backend m_backend;
    ServerSettings m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_sqliteFile;
    QString m_schema;
    QString m_adminName;
    QString m_connectionString;
};

// The packet inside a variant; a test failure with the database's error text when the variant
// holds a text instead.
DataPacket PacketOf(const Variant &result);
// The packet's rows as "NRECFREDZ/CDIMPOSTO" keys, sorted (the server's order is not fixed).
QStringList RowKeys(const DataPacket &packet);
// Runs scripts/<name> with arguments (and extra environment variables); the exit code, and stdout
// in output.
int RunScript(const QString &name, const QStringList &arguments, QString *output = nullptr,
              const QMap<QString, QString> &environment = {});
