// Many entry calls in one kpfhost process, each typing, checking and confirming (or cancelling):
// every call gives the same output, and the process does not grow. KPF_SOAK_CALLS sets the number
// of calls (default 100, 20 under the sanitizers); under the sanitizer build the exit code also
// says LeakSanitizer found nothing, since the sanitizers make the process fail at exit on a leak.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true; // the allocator's quarantine makes RSS meaningless
#else
constexpr bool kSanitized = false;
#endif

namespace
{

const char *const kConfirmScript = "click blsMais\n"
                                   "type 01\nkey Enter\n"
                                   "type 7\nkey Enter\n"
                                   "type 100,00\n"
                                   "dump\n"
                                   "click blsConfirm\n";
const char *const kCancelScript = "click blsMais\n"
                                  "type 04\nkey Enter\n"
                                  "type 25\n"
                                  "dump\n"
                                  "click blsCancel\n";

int Calls()
{
    bool ok = false;
    const int calls = qEnvironmentVariableIntValue("KPF_SOAK_CALLS", &ok);
    return ok && calls > 0 ? calls : (kSanitized ? 20 : 100);
}

long ResidentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+)"));
    const auto match = rss.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

struct SoakRun {
    int exitCode = -1;
    QList<QStringList> calls; // the output of each call
    QList<long> rssKb;        // after each call
    QString errors;
};

// Output lines up to and including a call's RESULT line and its ROW lines make one call.
void AddLine(SoakRun &run, QStringList &current, bool &inResult, const QString &line)
{
    if (inResult && !line.startsWith(QLatin1String("ROW"))) {
        run.calls << current;
        current.clear();
        inResult = false;
    }
    current << line;
    inResult = inResult || line.startsWith(QLatin1String("RESULT"));
}

class Soak : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        for (const char *name : {"PARAMETROSKVR.CDS", "KAVIRON.CDS"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(KPF_SOURCE_DIR "/demo/") + QLatin1String(name),
                                    m_home.filePath(QLatin1String(name))));
        QProcess make;
        make.start(QStringLiteral("bash"),
                   {QStringLiteral(KPF_SOURCE_DIR "/scripts/make-demo-db"), m_home.path()});
        ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0)
            << make.readAllStandardError().toStdString();
    }

    SoakRun Run(const char *script, int calls, const QStringList &extra = {})
    {
        QFile file(m_home.filePath(QStringLiteral("soak.script")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KPF_CONNECTION"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KPF_BINARY_DIR "/bin/kpfhost"),
                      QStringList{"--branch", "0001", "--till", "001", "--z", "0000000102",
                                  "--date", "2026-12-02", "--home", m_home.path(), "--script",
                                  file.fileName(), "--calls", QString::number(calls)} +
                          extra);
        SoakRun run;
        QStringList current;
        bool inResult = false;
        QByteArray pending;
        while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
            process.waitForReadyRead(200);
            pending += process.readAllStandardOutput();
            for (int eol; (eol = pending.indexOf('\n')) >= 0; pending.remove(0, eol + 1)) {
                const QString line = QString::fromUtf8(pending.left(eol));
                const int before = run.calls.size();
                AddLine(run, current, inResult, line);
                if (run.calls.size() > before) // a call just ended
                    run.rssKb << ResidentKb(process.processId());
            }
            if (process.state() == QProcess::NotRunning && process.bytesAvailable() == 0)
                break;
        }
        process.waitForFinished(-1);
        if (!current.isEmpty())
            run.calls << current;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static void ExpectIdenticalCalls(const SoakRun &run, int calls, const char *resultLine,
                                     int exitCode)
    {
        ASSERT_EQ(run.exitCode, exitCode) << run.errors.right(3000).toStdString();
        ASSERT_EQ(run.calls.size(), calls) << run.errors.right(2000).toStdString();
        ASSERT_TRUE(run.calls.first().contains(QString::fromLatin1(resultLine)))
            << run.calls.first().join(QLatin1Char('\n')).toStdString();
        for (int i = 1; i < run.calls.size(); ++i)
            ASSERT_EQ(run.calls[i], run.calls.first()) << "call " << i + 1 << " differs";
    }

    // Growth between the end of the first tenth of the calls (start-up and caches done) and the
    // last call.
    static void ExpectNoGrowth(const SoakRun &run, const char *name)
    {
        if (run.rssKb.size() < 10 || run.rssKb.contains(-1))
            return;
        const long early = run.rssKb[run.rssKb.size() / 10];
        const long late = run.rssKb.last();
        std::cout << "soak " << name << ": " << run.calls.size() << " calls, RSS after call "
                  << run.rssKb.size() / 10 + 1 << ": " << early << " kB, after the last: " << late
                  << " kB" << std::endl;
        if (kSanitized)
            return;
        EXPECT_LT(late - early, 4096) << "the process grew by " << late - early << " kB";
    }

    QTemporaryDir m_home;
};

TEST_F(Soak, TypeCheckConfirmManyTimes)
{
    const int calls = Calls();
    const SoakRun run = Run(kConfirmScript, calls);
    ExpectIdenticalCalls(run, calls, "RESULT PACKET", 0);
    EXPECT_TRUE(run.calls.first().join(QLatin1Char('\n')).contains(QLatin1String("\"01\"")));
    ExpectNoGrowth(run, "confirm");
}

TEST_F(Soak, TypeThenCancelManyTimes)
{
    const int calls = Calls();
    const SoakRun run = Run(kCancelScript, calls);
    ExpectIdenticalCalls(run, calls, "RESULT UNASSIGNED", 3);
    ExpectNoGrowth(run, "cancel");
}

} // namespace
