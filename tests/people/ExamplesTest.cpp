// The examples for host engineers run as they are shipped: the C host and the Python host call
// the module for the demo Z reduction, have Confirm touched, and print the stored lines.
#include "KpfHostProcess.h"

#include <QProcess>
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

} // namespace
