// kpfhost --store on every database the module reaches: SQLite, the PostgreSQL test server
// directly (where the module reads in read-only transactions) and through ODBC. A stored line with
// decimals is deleted by its values and a typed line inserted; the next call shows both changes.
#include "KpfHostProcess.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace
{

class StoreOn : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KPF_SKIP_WITHOUT_SERVER(GetParam());
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        db = std::make_unique<TestDatabase>(GetParam());
        ASSERT_FALSE(HasFatalFailure());
    }

    KpfHostProcess::Run Run(const QByteArray &script, bool store)
    {
        QStringList extra{QStringLiteral("--connection"), db->ConnectionString()};
        if (store)
            extra << QStringLiteral("--store");
        return host.runDemo(script, extra);
    }

    int Stored(const QString &code) const
    {
        return db->Count(QStringLiteral("SELECT COUNT(*) FROM IMPOSTOREDZ WHERE CDFILIAL = '0001' "
                                        "AND DTREDUCAOZ = '2026-12-02' AND CDIMPOSTO = '%1'")
                             .arg(code));
    }

    static std::string Show(const KpfHostProcess::Run &run)
    {
        return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    }

    KpfHostProcess host;
    std::unique_ptr<TestDatabase> db;
};

TEST_P(StoreOn, DeletedAndTypedLinesAreStoredAndShownByTheNextCall)
{
    ASSERT_EQ(Stored(QStringLiteral("01")), 0);
    // Row 1 of the demo Z reduction's day; the server's order is not fixed, so the packet says
    // which line went.
    const auto first = Run("select 1 CDIMPOSTO\nclick blsMenos\nclick blsMais\n"
                           "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\nclick blsConfirm\n",
                           true);
    ASSERT_EQ(first.exitCode, 0) << Show(first);
    EXPECT_EQ(first.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 1 1"})
        << Show(first);
    QString deleted;
    for (const QJsonObject &row : first.objects(QStringLiteral("ROW "))) {
        if (row.value(QStringLiteral("rowState")).toString() == QLatin1String("deleted"))
            deleted = row.value(QStringLiteral("CDIMPOSTO")).toString();
    }
    ASSERT_FALSE(deleted.isEmpty()) << Show(first);
    EXPECT_EQ(Stored(deleted), 0);
    EXPECT_EQ(Stored(QStringLiteral("01")), 1);

    const auto second = Run("click blsConfirm\n", false);
    ASSERT_EQ(second.exitCode, 0) << Show(second);
    QStringList codes;
    for (const QJsonObject &row : second.objects(QStringLiteral("ROW ")))
        codes << row.value(QStringLiteral("CDIMPOSTO")).toString() + "/" +
                     row.value(QStringLiteral("rowState")).toString();
    codes.sort();
    QStringList expected{"00/original", "01/original", "02/original", "03/original"};
    expected.removeAll(deleted + QStringLiteral("/original"));
    EXPECT_EQ(codes, expected) << Show(second);
}

INSTANTIATE_TEST_SUITE_P(Databases, StoreOn,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

// The store connection takes every password the module's connection takes: one with ';' and '}'
// through ODBC, for a role of its own made by the server's superuser (trusted on its socket).
TEST(StoreOnOdbc, PasswordWithSemicolonAndBrace)
{
    KPF_SKIP_WITHOUT_SERVER(Backend::ODBC);
    KpfHostProcess host;
    ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
    const ServerSettings server = ServerSettings::FromEnvironment();
    TestDatabase db(Backend::ODBC, server);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const QString role = QStringLiteral("kpf_semicolon_%1").arg(QCoreApplication::applicationPid());
    const QString password = QStringLiteral("Kpf;s3nha}x");
    const QString adminName = QStringLiteral("kpf-superuser");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), adminName);
        admin.setHostName(QFileInfo(server.dataDir).dir().filePath(QStringLiteral("run")));
        admin.setPort(server.port.toInt());
        admin.setDatabaseName(server.database);
        admin.setUserName(QStringLiteral("kpfadmin"));
        ASSERT_TRUE(admin.open()) << admin.lastError().text().toStdString();
    }
    const auto exec = [&](const QString &sql) {
        QSqlQuery query(QSqlDatabase::database(adminName));
        return query.exec(sql) ? std::string() : query.lastError().text().toStdString();
    };
    const auto cleanUp = qScopeGuard([&] {
        exec(QStringLiteral("DROP OWNED BY %1").arg(role));
        exec(QStringLiteral("DROP ROLE %1").arg(role));
        QSqlDatabase::database(adminName).close();
        QSqlDatabase::removeDatabase(adminName);
    });
    for (const QString &sql :
         {QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password),
          QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(db.Schema(), role),
          QStringLiteral("GRANT SELECT, INSERT, DELETE ON ALL TABLES IN SCHEMA %1 TO %2")
              .arg(db.Schema(), role)})
        ASSERT_EQ(exec(sql), "") << sql.toStdString();

    const QString connection =
        QStringLiteral("Provider=MSDASQL;DSN=%1;User ID=%2;Password={%3};"
                       "ConnSettings=SET search_path TO %4")
            .arg(server.odbcDsn, role, QString(password).replace(u'}', QStringLiteral("}}")),
                 db.Schema());
    const auto run =
        host.runDemo("type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\n"
                     "click blsConfirm\n",
                     {QStringLiteral("--connection"), connection, QStringLiteral("--store")});
    const std::string shown =
        ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    EXPECT_EQ(run.exitCode, 0) << shown;
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("STORED")), QStringList{"STORED 1 0"}) << shown;
    EXPECT_EQ(db.Count(QStringLiteral("SELECT COUNT(*) FROM IMPOSTOREDZ WHERE CDIMPOSTO = '01' "
                                      "AND DTREDUCAOZ = '2026-12-02'")),
              1);
}

} // namespace
