#include "TestDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <gtest/gtest.h>

#include <atomic>
#include <unistd.h>

namespace
{

QString NextName(const char *prefix)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1_%2_%3").arg(QLatin1String(prefix)).arg(getpid()).arg(++counter);
}

QString SourceFile(const QString &relative)
{
    return QStringLiteral(KPF_SOURCE_DIR "/") + relative;
}

} // namespace

QString BackendName(Backend backend)
{
    switch (backend) {
    case Backend::SQLite:
        return QStringLiteral("SQLite");
    case Backend::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Backend::ODBC:
        return QStringLiteral("ODBC");
    }
    return {};
}

ServerSettings ServerSettings::FromEnvironment()
{
    return {qEnvironmentVariable("KPF_PG_HOST"), qEnvironmentVariable("KPF_PG_PORT"),
            qEnvironmentVariable("KPF_PG_USER"), qEnvironmentVariable("KPF_PG_PASSWORD"),
            qEnvironmentVariable("KPF_PG_DB"),   qEnvironmentVariable("KPF_PG_DATADIR"),
            qEnvironmentVariable("KPF_ODBC_DSN")};
}

ServerSettings ServerSettings::StartPrivate(const QStringList &arguments)
{
    QString exports;
    if (RunScript(QStringLiteral("pg-start"), QStringList{QStringLiteral("--no-odbc")} + arguments,
                  &exports) != 0)
        return {};
    QMap<QString, QString> env;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString &word : exports.split(blanks, Qt::SkipEmptyParts))
        if (const int eq = word.indexOf(QLatin1Char('=')); eq > 0)
            env[word.left(eq)] = word.mid(eq + 1);
    return {env[QStringLiteral("KPF_PG_HOST")],
            env[QStringLiteral("KPF_PG_PORT")],
            env[QStringLiteral("KPF_PG_USER")],
            env[QStringLiteral("KPF_PG_PASSWORD")],
            env[QStringLiteral("KPF_PG_DB")],
            env[QStringLiteral("KPF_PG_DATADIR")],
            {}};
}

QMap<QString, QString> ServerSettings::Variables() const
{
    return {{QStringLiteral("KPF_PG_HOST"), host},   {QStringLiteral("KPF_PG_PORT"), port},
            {QStringLiteral("KPF_PG_USER"), user},   {QStringLiteral("KPF_PG_PASSWORD"), password},
            {QStringLiteral("KPF_PG_DB"), database}, {QStringLiteral("KPF_PG_DATADIR"), dataDir}};
}

bool ServerRequired()
{
    return qEnvironmentVariable("KPF_REQUIRE_PG") == u"1";
}

QString MissingPrivateServer()
{
    const QString bin =
        qEnvironmentVariable("KPF_PG_BIN", QStringLiteral("/usr/lib/postgresql/15/bin"));
    if (!QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
        return QStringLiteral("no PostgreSQL binaries in %1 (install postgresql-15 or set "
                              "KPF_PG_BIN)")
            .arg(bin);
    return {};
}

QString MissingServer(Backend backend)
{
    const ServerSettings server = ServerSettings::FromEnvironment();
    if (backend == Backend::PostgreSQL && !server.HasServer())
        return QStringLiteral("no PostgreSQL test server: run eval \"$(scripts/pg-start)\" first");
    if (backend == Backend::ODBC && !server.HasOdbc())
        return QStringLiteral("no ODBC data source: run eval \"$(scripts/pg-start)\" first");
    return {};
}

TestDatabase::TestDatabase(Backend backend, const ServerSettings &server)
    : m_backend(backend), m_server(server), m_adminName(NextName("kpf_test_admin"))
{
    if (backend == Backend::SQLite)
        CreateSQLite();
    else
        CreateOnServer();
}

TestDatabase::~TestDatabase()
{
    // Quietly: a test may have stopped the server under the admin connection.
    if (!m_schema.isEmpty())
        QSqlQuery(Admin()).exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_schema));
    QSqlDatabase::database(m_adminName, false).close();
    QSqlDatabase::removeDatabase(m_adminName);
}

void TestDatabase::CreateSQLite()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sqliteFile = m_dir->filePath(QStringLiteral("kpf05520.db"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_adminName);
    db.setDatabaseName(m_sqliteFile);
    ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    ASSERT_TRUE(RunScript(SourceFile(QStringLiteral("db/schema.sql"))));
    ASSERT_TRUE(RunScript(SourceFile(QStringLiteral("db/demo.sql"))));
    m_connectionString = QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_sqliteFile);
}

void TestDatabase::CreateOnServer()
{
    const ServerSettings &server = m_server;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_adminName);
    db.setHostName(server.host);
    db.setPort(server.port.toInt());
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.setPassword(server.password);
    ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO warning"));
    m_schema = NextName("kpft");
    ASSERT_TRUE(Exec(QStringLiteral("CREATE SCHEMA %1").arg(m_schema)));
    ASSERT_TRUE(Exec(QStringLiteral("SET search_path TO %1").arg(m_schema)));
    ASSERT_TRUE(RunScript(SourceFile(QStringLiteral("db/schema.sql"))));
    ASSERT_TRUE(RunScript(SourceFile(QStringLiteral("db/demo.sql"))));
    if (m_backend == Backend::PostgreSQL)
        m_connectionString = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;"
                                            "User ID=%4;Password=%5;Search Path=%6")
                                 .arg(server.host, server.port, server.database, server.user,
                                      server.password, m_schema);
    else // psqlODBC runs ConnSettings after it connects
        m_connectionString = QStringLiteral("Provider=MSDASQL;DSN=%1;User ID=%2;Password=%3;"
                                            "ConnSettings=SET search_path TO %4")
                                 .arg(server.odbcDsn, server.user, server.password, m_schema);
}

QSqlDatabase TestDatabase::Admin() const
{
    return QSqlDatabase::database(m_adminName, false);
}

bool TestDatabase::Exec(const QString &sql) const
{
    QSqlQuery query(Admin());
    if (query.exec(sql))
        return true;
    ADD_FAILURE() << "setting up the test database: " << query.lastError().text().toStdString()
                  << "\n  in: " << sql.toStdString();
    return false;
}

int TestDatabase::Count(const QString &sql) const
{
    QSqlQuery query(Admin());
    if (query.exec(sql) && query.next())
        return query.value(0).toInt();
    ADD_FAILURE() << "reading the test database: " << query.lastError().text().toStdString();
    return -1;
}

// Statements end with ';' at the end of a line; '--' lines are comments.
bool TestDatabase::RunScript(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return false;
    }
    QString statement;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            if (!Exec(statement.trimmed().chopped(1)))
                return false;
            statement.clear();
        }
    }
    return true;
}

DataPacket PacketOf(const Variant &result)
{
    if (!result.isPacket()) {
        ADD_FAILURE() << "expected a data packet, got "
                      << (result.isText() ? "the error text: " + result.text().toStdString()
                                          : std::string("nothing"));
        return {};
    }
    return DataPacket::Parse(result.packet());
}

QStringList RowKeys(const DataPacket &packet)
{
    const int counter = packet.FieldIndex(QStringLiteral("NRECFREDZ"));
    const int code = packet.FieldIndex(QStringLiteral("CDIMPOSTO"));
    QStringList keys;
    if (counter < 0 || code < 0) {
        ADD_FAILURE() << "the packet has no NRECFREDZ or CDIMPOSTO field";
        return keys;
    }
    for (const DataPacket::Row &row : packet.rows)
        keys << row.values[counter].toString() + QLatin1Char('/') + row.values[code].toString();
    keys.sort();
    return keys;
}

int RunScript(const QString &name, const QStringList &arguments, QString *output,
              const QMap<QString, QString> &environment)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        variables.insert(it.key(), it.value());
    process.setProcessEnvironment(variables);
    process.start(SourceFile(QStringLiteral("scripts/") + name), arguments);
    if (!process.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
