// The examples for host engineers run as they are shipped: the C host and the Python host call
// the module for the demo Z reduction, have Confirm touched, and print the stored lines; the
// Python host also drives the screen through the test interface (kpf_test.h); the Pascal host
// (built with fpc) also types a line and stores the result through sqldb.
#include "KpfHostProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace
{

struct ExampleRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

struct ExampleHost {
    const char *name;
    QString program;
    QStringList leadingArguments;
};

void PrintTo(const ExampleHost &host, std::ostream *os)
{
    *os << host.name;
}

ExampleRun RunExample(const ExampleHost &example, const QStringList &arguments,
                      const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(example.program, example.leadingArguments + arguments);
    ExampleRun run;
    if (!process.waitForStarted(10000)) {
        run.errors = process.errorString();
        return run;
    }
    if (!process.waitForFinished(90000)) {
        process.kill();
        process.waitForFinished(5000);
        run.errors = QStringLiteral("timed out");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromUtf8(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::string Show(const ExampleRun &run)
{
    return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
        .toStdString();
}

class Examples : public ::testing::TestWithParam<ExampleHost>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.ready()) << home.setupError().toStdString();
        if (GetParam().program.isEmpty())
            GTEST_SKIP() << "python3 is not installed";
#if defined(__SANITIZE_ADDRESS__)
        // An interpreter built without the sanitizer cannot load the sanitizer build of the
        // module; the ordinary run of the suite covers the Python host.
        if (qstrcmp(GetParam().name, "python") == 0)
            GTEST_SKIP() << "the Python host does not run against the sanitizer build";
#endif
    }
    QStringList Arguments(int confirmAfterMs) const
    {
        return {QStringLiteral("--home"),
                home.home(),
                QStringLiteral("--confirm-after-ms"),
                QString::number(confirmAfterMs),
                QStringLiteral("0001"),
                QStringLiteral("001"),
                QStringLiteral("000123"),
                QStringLiteral("2026-12-02")};
    }

    KpfHostProcess home;
};

TEST_P(Examples, ConfirmedLinesArePrintedOneALine)
{
    const ExampleRun run = RunExample(GetParam(), Arguments(200), home.environment);
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    ASSERT_FALSE(run.lines.isEmpty()) << Show(run);
    EXPECT_EQ(run.lines.first(), QStringLiteral("CONFIRMED")) << Show(run);
    const QStringList rows = run.lines.filter(QRegularExpression(QStringLiteral("^ROW ")));
    ASSERT_EQ(rows.size(), 3) << Show(run);
    const char *codes[] = {"00", "02", "03"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(
            rows[i].contains(QStringLiteral("CDIMPOSTO=\"%1\"").arg(QLatin1String(codes[i]))))
            << qPrintable(rows[i]);
        EXPECT_TRUE(rows[i].contains(QStringLiteral("DTREDUCAOZ=\"20261202\"")))
            << qPrintable(rows[i]);
    }
}

// Without any display Qt would end the host's process; the module refuses instead and says which
// variables to set.
TEST_P(Examples, WithoutADisplayTheApplicationIsRefused)
{
    QProcessEnvironment environment = home.environment;
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    const ExampleRun run =
        RunExample(GetParam(), Arguments(200).mid(0, 2) + Arguments(200).mid(4), environment);
    EXPECT_EQ(run.exitCode, 2) << Show(run);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("DISPLAY")) &&
                run.errors.contains(QStringLiteral("WAYLAND_DISPLAY")) &&
                run.errors.contains(QStringLiteral("QT_QPA_PLATFORM")))
        << Show(run);
}

TEST_P(Examples, AFailedCallPrintsWhyAndExitsTwo)
{
    home.removeFile(QStringLiteral("KAVIRON.CDS"));
    const ExampleRun run = RunExample(GetParam(), Arguments(200), home.environment);
    EXPECT_EQ(run.exitCode, 2) << Show(run);
    ASSERT_EQ(run.lines.filter(QRegularExpression(QStringLiteral("^FAILED "))).size(), 1)
        << Show(run);
    EXPECT_TRUE(run.lines.filter(QRegularExpression(QStringLiteral("^ROW "))).isEmpty());
}

const ExampleHost kHosts[] = {
    {"c", QStringLiteral(KPF_BINARY_DIR "/bin/example_c_host"), {}},
    {"python",
     QStandardPaths::findExecutable(QStringLiteral("python3")),
     {QStringLiteral(KPF_SOURCE_DIR "/examples/python_host/host.py"), QStringLiteral("--lib-dir"),
      QStringLiteral(KPF_BINARY_DIR "/bin")}},
};

INSTANTIATE_TEST_SUITE_P(Hosts, Examples, ::testing::ValuesIn(kHosts),
                         [](const auto &info) { return std::string(info.param.name); });

// The screen's state before each action and the actions' effects, as a Python test sees them: a
// name that is no control is refused (-2, KPF_TEST_NOT_FOUND), a touched digit and a typed one go
// to the new line's code, Cancel leaves without confirming.
TEST(PythonTestInterface, DumpsTheStateAndTouchesControls)
{
    KpfHostProcess home;
    ASSERT_TRUE(home.ready()) << home.setupError().toStdString();
    const ExampleHost &python = kHosts[1];
    if (python.program.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the Python host does not run against the sanitizer build";
#endif
    QStringList arguments{QStringLiteral("--home"), home.home()};
    for (const char *name : {"nope", "sbt0"})
        arguments << QStringLiteral("--touch") << QLatin1String(name);
    arguments << QStringLiteral("--key") << QStringLiteral("1") << QStringLiteral("--touch")
              << QStringLiteral("blsCancel");
    arguments << QStringLiteral("0001") << QStringLiteral("001") << QStringLiteral("000123")
              << QStringLiteral("2026-12-02");
    const ExampleRun run = RunExample(python, arguments, home.environment);
    EXPECT_EQ(run.exitCode, 1) << Show(run);
    const QStringList expectedActions{QStringLiteral("TOUCH FAILED nope -2"),
                                      QStringLiteral("TOUCHED sbt0"), QStringLiteral("KEYED 1"),
                                      QStringLiteral("TOUCHED blsCancel"),
                                      QStringLiteral("NOT CONFIRMED")};
    EXPECT_EQ(run.lines.filter(QRegularExpression(QStringLiteral("^(TOUCH|KEY|NOT)"))),
              expectedActions)
        << Show(run);
    QList<QJsonObject> states;
    for (const QString &line : run.lines.filter(QRegularExpression(QStringLiteral("^STATE "))))
        states << QJsonDocument::fromJson(line.mid(6).toUtf8()).object();
    ASSERT_EQ(states.size(), 4) << Show(run); // none after Cancel: the screen is gone
    EXPECT_EQ(states[0].value(QStringLiteral("state")).toInt(), 1) << Show(run);
    EXPECT_EQ(states[0].value(QStringLiteral("rows")).toArray().size(), 3) << Show(run);
    const QJsonArray typed = states[3].value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(typed.size(), 4) << Show(run);
    EXPECT_EQ(states[3].value(QStringLiteral("state")).toInt(), 3) << Show(run);
    EXPECT_EQ(typed[0].toObject().value(QStringLiteral("CDIMPOSTO")).toString(),
              QStringLiteral("01"))
        << Show(run);
}

// --- the Pascal host -------------------------------------------------------------------------

const ExampleHost kPascalHost = {
    "pascal", QStringLiteral(KPF_BINARY_DIR "/bin/kpfhost_pascal"), {}};

// Its own Z reduction with one stored line, so that the demo data may change freely.
class PascalExample : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.ready()) << home.setupError().toStdString();
        if (!QFileInfo::exists(kPascalHost.program))
            GTEST_SKIP() << "fpc is not installed: no Pascal example";
#if defined(__SANITIZE_ADDRESS__)
        // A program built without the sanitizer cannot load the sanitizer build of the module.
        GTEST_SKIP() << "the Pascal host does not run against the sanitizer build";
#endif
        Sql(QStringLiteral("INSERT INTO IMPOSTOREDZ VALUES ('0001', '009', '0000000900', "
                           "'2026-12-07', '03', 18, 200, 36)"));
    }
    void TearDown() override
    {
        QSqlDatabase::removeDatabase(QStringLiteral("pascalexample"));
    }

    // The rows stored for the key, one text each: code, date, rate, base, tax.
    QStringList Sql(const QString &statement)
    {
        QStringList rows;
        {
            QSqlDatabase db = QSqlDatabase::contains(QStringLiteral("pascalexample"))
                                  ? QSqlDatabase::database(QStringLiteral("pascalexample"))
                                  : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                              QStringLiteral("pascalexample"));
            db.setDatabaseName(database);
            EXPECT_TRUE(db.open());
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
            while (query.next()) {
                QStringList values;
                for (int c = 0; c < query.record().count(); ++c)
                    values << query.value(c).toString();
                rows << values.join(QLatin1Char(' '));
            }
            db.close();
        }
        return rows;
    }
    ExampleRun Run(const QStringList &extra)
    {
        return RunExample(kPascalHost,
                          QStringList{QStringLiteral("--home"), home.home(),
                                      QStringLiteral("--confirm-after-ms"), QStringLiteral("200")} +
                              extra +
                              QStringList{QStringLiteral("0001"), QStringLiteral("009"),
                                          QStringLiteral("0000000900"),
                                          QStringLiteral("2026-12-07")},
                          home.environment);
    }

    KpfHostProcess home;
    QString database = home.path(QStringLiteral("kpf05520.db"));
};

TEST_F(PascalExample, ConfirmedLinesComeBackWithTheirDates)
{
    const ExampleRun run = Run({});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(run.lines, QStringList({QStringLiteral("CONFIRMED"),
                                      QStringLiteral("ROW CDFILIAL=0001 CDCAIXA=009 "
                                                     "NRECFREDZ=0000000900 DTREDUCAOZ=2026-12-07 "
                                                     "CDIMPOSTO=03 VRALIQIMPRZ=18 VRBCALCIMPRZ=200 "
                                                     "VRIMPOSTORZ=36 UpdateStatus=unmodified")}))
        << Show(run);
}

TEST_F(PascalExample, AFailedCallPrintsWhyAndExitsTwo)
{
    home.removeFile(QStringLiteral("KAVIRON.CDS"));
    const ExampleRun run = Run({QStringLiteral("--store")});
    EXPECT_EQ(run.exitCode, 2) << Show(run);
    ASSERT_EQ(run.lines.size(), 1) << Show(run);
    EXPECT_TRUE(run.lines.first().startsWith(QStringLiteral("FAILED ")) &&
                run.lines.first().contains(QStringLiteral("KAVIRON.CDS")))
        << Show(run);
}

TEST_F(PascalExample, TypedLineIsInsertedAndStored)
{
    const ExampleRun run =
        Run({QStringLiteral("--line"), QStringLiteral("01:18:100,50"), QStringLiteral("--store")});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    const QStringList inserted = run.lines.filter(QStringLiteral("UpdateStatus=inserted"));
    ASSERT_EQ(inserted.size(), 1) << Show(run);
    EXPECT_TRUE(inserted.first().contains(
        QStringLiteral("DTREDUCAOZ=2026-12-07 CDIMPOSTO=01 VRALIQIMPRZ=18 VRBCALCIMPRZ=100.5 "
                       "VRIMPOSTORZ=18.09 ")))
        << Show(run);
    EXPECT_EQ(run.lines.filter(QStringLiteral("UpdateStatus=unmodified")).size(), 1) << Show(run);
    EXPECT_EQ(run.lines.last(), QStringLiteral("STORED 1 0")) << Show(run);
    EXPECT_EQ(Sql(QStringLiteral("SELECT CDIMPOSTO, DTREDUCAOZ, VRALIQIMPRZ, VRBCALCIMPRZ, "
                                 "VRIMPOSTORZ FROM IMPOSTOREDZ WHERE CDCAIXA = '009' ORDER BY 1")),
              QStringList({QStringLiteral("01 2026-12-07 18 100.5 18.09"),
                           QStringLiteral("03 2026-12-07 18 200 36")}));
}

// The store opens the database the module read, by the host library's reading of the connection
// string: a quoted Data Source may hold a semicolon.
TEST_F(PascalExample, StoresIntoAQuotedDataSource)
{
    const QString folder = home.path(QStringLiteral("q;home"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::rename(database, folder + QStringLiteral("/kpf05520.db")));
    database = folder + QStringLiteral("/kpf05520.db");
    const ExampleRun run =
        Run({QStringLiteral("--connection"),
             QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(database),
             QStringLiteral("--line"), QStringLiteral("01:18:100"), QStringLiteral("--store")});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(run.lines.last(), QStringLiteral("STORED 1 0")) << Show(run);
    EXPECT_EQ(Sql(QStringLiteral("SELECT CDIMPOSTO FROM IMPOSTOREDZ WHERE CDCAIXA = '009' "
                                 "ORDER BY 1")),
              QStringList({QStringLiteral("01"), QStringLiteral("03")}));
}

} // namespace
