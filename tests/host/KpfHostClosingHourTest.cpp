// The closing hour: sixty tills type one line each and confirm with --store at the same moment,
// against a private PostgreSQL with max_connections = 12 (about what 500 tills meet on a server
// of 100): straight to the server, through PgBouncer in session pooling, and through PgBouncer in
// transaction pooling. Every line typed ends stored exactly once: by --store, or kept in the spool
// and stored by --store-spool afterwards. A till that could not connect before its screen typed
// nothing and stores nothing. The figures go to the test's output.
#include "KpfHostProcess.h"
#include "TestDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace
{

enum class Route { Direct, SessionPooling, TransactionPooling };

constexpr int kTills = 60;
constexpr int kMaxConnections = 12;
constexpr int kPoolSize = 6;

QString RouteName(Route route)
{
    switch (route) {
    case Route::Direct:
        return QStringLiteral("Direct");
    case Route::SessionPooling:
        return QStringLiteral("SessionPooling");
    case Route::TransactionPooling:
        return QStringLiteral("TransactionPooling");
    }
    return {};
}

int CountIn(const QString &file, const QString &text)
{
    QFile log(file);
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return QString::fromUtf8(log.readAll()).count(text);
}

class ClosingHour : public ::testing::TestWithParam<Route>
{
protected:
    static void SetUpTestSuite()
    {
        if (MissingPrivateServer().isEmpty())
            s_server = ServerSettings::StartPrivate(
                {QStringLiteral("--max-connections"), QString::number(kMaxConnections)});
    }
    static void TearDownTestSuite()
    {
        if (!s_server.dataDir.isEmpty())
            RunScript(QStringLiteral("pg-stop"), {s_server.dataDir});
        s_server = {};
    }

    void SetUp() override
    {
        QString missing = MissingPrivateServer();
        if (missing.isEmpty() && GetParam() != Route::Direct &&
            QStandardPaths::findExecutable(QStringLiteral("pgbouncer")).isEmpty())
            missing = QStringLiteral("no pgbouncer (install pgbouncer)");
        if (!missing.isEmpty()) {
            if (ServerRequired())
                FAIL() << missing.toStdString() << " (KPF_REQUIRE_PG=1)";
            GTEST_SKIP() << missing.toStdString();
        }
        ASSERT_TRUE(s_server.HasServer()) << "scripts/pg-start failed";
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        db = std::make_unique<TestDatabase>(Backend::PostgreSQL, s_server);
        ASSERT_FALSE(HasFatalFailure());
        // PgBouncer passes no startup options, so the schema is the role's, for every route.
        ASSERT_TRUE(db->Exec(QStringLiteral("ALTER ROLE %1 SET search_path TO %2")
                                 .arg(s_server.user, db->Schema())));
        port = s_server.port;
        if (GetParam() != Route::Direct) {
            const QString mode = GetParam() == Route::SessionPooling
                                     ? QStringLiteral("session")
                                     : QStringLiteral("transaction");
            QString exports;
            ASSERT_EQ(RunScript(QStringLiteral("pgbouncer-start"),
                                {QStringLiteral("--pool-mode"), mode, QStringLiteral("--pool-size"),
                                 QString::number(kPoolSize)},
                                &exports, s_server.Variables()),
                      0);
            const QRegularExpressionMatch match =
                QRegularExpression(QStringLiteral("KPF_PGB_PORT=(\\d+) KPF_PGB_DIR=(\\S+)"))
                    .match(exports);
            ASSERT_TRUE(match.hasMatch()) << exports.toStdString();
            port = match.captured(1);
            bouncerDir = match.captured(2);
        }
    }
    void TearDown() override
    {
        if (!bouncerDir.isEmpty())
            RunScript(QStringLiteral("pgbouncer-stop"), {bouncerDir});
        if (db)
            db->Exec(QStringLiteral("ALTER ROLE %1 RESET search_path").arg(s_server.user));
        db.reset();
    }

    // Behind a session pool a till waits in PgBouncer's queue inside its connect, so its timeout
    // must cover that wait (a slow build's screens hold the pool for seconds each).
    QString Connection() const
    {
        const QString timeout =
            GetParam() == Route::Direct ? QString() : QStringLiteral(";Connect Timeout=120");
        return QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;"
                              "Password=%5%6")
            .arg(s_server.host, port, s_server.database, s_server.user, s_server.password, timeout);
    }
    static QString Till(int index) { return QString::number(101 + index); }

    static inline ServerSettings s_server;
    KpfHostProcess host;
    std::unique_ptr<TestDatabase> db;
    QString port;
    QString bouncerDir;
};

TEST_P(ClosingHour, EveryConfirmedLineIsStoredOnceAtTheEnd)
{
    host.writeFile(QStringLiteral("line.script"),
                   "type 02\nkey Enter\ntype 12\nkey Enter\ntype 50\nclick blsConfirm\n");
    const QString serverLog = s_server.dataDir + QStringLiteral("/../server.log");
    const QString refusal = QStringLiteral("too many clients already");
    const int refusalsBefore = CountIn(serverLog, refusal);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> tills;
    for (int i = 0; i < kTills; ++i)
        tills.push_back(host.start(
            {QStringLiteral("--home"), host.home(), QStringLiteral("--branch"),
             QStringLiteral("0001"), QStringLiteral("--till"), Till(i), QStringLiteral("--z"),
             QStringLiteral("000123"), QStringLiteral("--date"), QStringLiteral("2026-12-02"),
             QStringLiteral("--connection"), Connection(), QStringLiteral("--store"),
             QStringLiteral("--script"), host.path(QStringLiteral("line.script"))}));
    QStringList confirmed, stored;
    int kept = 0, refused = 0;
    for (int i = 0; i < kTills; ++i) {
        const KpfHostProcess::Run run = KpfHostProcess::collect(*tills[i], 240000);
        const std::string shown = "till " + Till(i).toStdString() + ":\n" +
                                  run.lines.join(QLatin1Char('\n')).toStdString() + "\n" +
                                  run.errors.toStdString();
        if (run.exitCode == 1 && run.linesStartingWith(QStringLiteral("RESULT ")).isEmpty()) {
            // No screen: the module could not connect, and said the server was busy.
            EXPECT_EQ(run.linesStartingWith(QStringLiteral("FAILED ")).size(), 1) << shown;
            EXPECT_TRUE(run.lines.join(QLatin1Char(' ')).contains(QStringLiteral("ocupado")))
                << shown;
            ++refused;
            continue;
        }
        const bool ended = run.exitCode == 0 || run.exitCode == KpfHostProcess::kStoreKept;
        EXPECT_TRUE(ended) << shown;
        if (!ended)
            continue;
        confirmed << Till(i);
        if (run.exitCode == 0) {
            EXPECT_EQ(run.linesStartingWith(QStringLiteral("STORED 1 0")).size(), 1) << shown;
            stored << Till(i);
        } else {
            ++kept;
        }
    }
    const qint64 closingMs = clock.elapsed();
    const auto spool = host.run({QStringLiteral("--store-spool"), QStringLiteral("--home"),
                                 host.home(), QStringLiteral("--connection"), Connection()});
    EXPECT_EQ(spool.exitCode, 0) << spool.lines.join(QLatin1Char('\n')).toStdString()
                                 << spool.errors.toStdString();
    EXPECT_EQ(spool.linesStartingWith(QStringLiteral("STORED ")).size(), kept);

    // Each till that confirmed has its line once, and no other till has one.
    QSqlQuery lines(db->Admin());
    ASSERT_TRUE(lines.exec(QStringLiteral("SELECT CDCAIXA, COUNT(*) FROM IMPOSTOREDZ WHERE "
                                          "CDCAIXA >= '101' GROUP BY CDCAIXA ORDER BY CDCAIXA")));
    QStringList tillsWithLines;
    while (lines.next()) {
        EXPECT_EQ(lines.value(1).toInt(), 1) << "till " << lines.value(0).toString().toStdString();
        tillsWithLines << lines.value(0).toString();
    }
    EXPECT_EQ(tillsWithLines, confirmed);
    // However slow the machine, the tills that find the server's free slots get their screens.
    EXPECT_GE(confirmed.size(), kMaxConnections - 4) << "the test proves nothing";
    if (GetParam() != Route::Direct) {
        EXPECT_EQ(stored.size(), kTills) << "behind the pool every till waits its turn";
    }

    const int serverRefusals = CountIn(serverLog, refusal) - refusalsBefore;
    std::cout << RouteName(GetParam()).toStdString() << ": " << kTills << " tills in " << closingMs
              << " ms; " << stored.size() << " stored at once, " << kept
              << " kept and stored from the spool, " << refused
              << " without a screen; refusals by the server: " << serverRefusals
              << " (each one retried or reported)" << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Routes, ClosingHour,
                         ::testing::Values(Route::Direct, Route::SessionPooling,
                                           Route::TransactionPooling),
                         [](const auto &info) { return RouteName(info.param).toStdString(); });

} // namespace
