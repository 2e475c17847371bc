// kpfhost's scripted operator on the displays a till has: offscreen, Xvfb with no window manager
// and with openbox, and Weston's headless backend (no input seat, so no window ever gets the
// focus) with its kiosk shell and its desktop shell. The screen's start-up work runs on every one:
// the day's stored lines come back with the typed one and the screenshot shows them, a failed
// check's box keeps the entry texts, a reactivation resets the editor, and a loading error's box
// comes once per activation.
#include "KpfHostProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace
{

enum class Server { None, Xvfb, XvfbOpenbox, WestonKiosk, WestonDesktop };

struct Display {
    const char *name;
    Server server;
    bool focused; // the window system gives the screen the keyboard focus
};

const Display kDisplays[] = {{"offscreen", Server::None, true},
                             {"xvfb", Server::Xvfb, true},
                             {"xvfb_openbox", Server::XvfbOpenbox, true},
                             {"weston_kiosk", Server::WestonKiosk, false},
                             {"weston_desktop", Server::WestonDesktop, false}};

void PrintTo(const Display &display, std::ostream *os)
{
    *os << display.name;
}

bool WaitFor(const std::function<bool()> &ready)
{
    for (int i = 0; i < 100 && !ready(); ++i)
        QThread::msleep(50);
    return ready();
}

// A display server of the test's own, stopped with it; environment() is what a program on it
// gets.
class DisplayServer
{
public:
    explicit DisplayServer(Server server) : m_server(server) {}
    ~DisplayServer()
    {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(3000))
                (*it)->kill();
        }
    }

    // Empty when it runs, else why not.
    QString Start(QProcessEnvironment &environment)
    {
        switch (m_server) {
        case Server::None:
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            return {};
        case Server::Xvfb:
        case Server::XvfbOpenbox:
            return StartX(environment, m_server == Server::XvfbOpenbox);
        case Server::WestonKiosk:
        case Server::WestonDesktop:
            return StartWeston(environment, m_server == Server::WestonKiosk ? "kiosk" : "desktop");
        }
        return {};
    }

private:
    // Its output is read only when asked for; its errors are not the test's.
    QProcess *Launch(const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &environment, bool readOutput = false)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setStandardErrorFile(QProcess::nullDevice());
        if (!readOutput)
            process->setStandardOutputFile(QProcess::nullDevice());
        process->start(program, arguments);
        m_processes.push_back(std::move(process));
        return m_processes.back()->waitForStarted(5000) ? m_processes.back().get() : nullptr;
    }

    QString StartX(QProcessEnvironment &environment, bool windowManager)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || (windowManager && openbox.isEmpty()))
            return QStringLiteral("Xvfb or openbox is not installed");
        // Xvfb picks a free display itself and writes its number (-displayfd), so that tests
        // running side by side never take the same one.
        QProcess *server =
            Launch(xvfb,
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                   environment, true);
        if (!server || !server->waitForReadyRead(10000))
            return QStringLiteral("Xvfb did not start");
        const QString display =
            QLatin1Char(':') + QString::fromLatin1(server->readLine().trimmed());
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (windowManager) {
            if (!Launch(openbox, {}, environment))
                return QStringLiteral("openbox did not start");
            QThread::msleep(700); // until it manages the screen
        }
        return {};
    }

    QString StartWeston(QProcessEnvironment &environment, const char *shell)
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty() ||
            !QFileInfo::exists(QStringLiteral(
                "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so")))
            return QStringLiteral("weston or qt6-wayland is not installed");
        m_runtime = std::make_unique<QTemporaryDir>();
        QFile::setPermissions(m_runtime->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
        environment.remove(QStringLiteral("DISPLAY"));
        if (!Launch(weston,
                    {QStringLiteral("--backend=headless-backend.so"),
                     QStringLiteral("--shell=%1-shell.so").arg(QLatin1String(shell)),
                     QStringLiteral("--socket=kpf-test"), QStringLiteral("--width=1280"),
                     QStringLiteral("--height=1024")},
                    environment) ||
            !WaitFor([&] { return QFileInfo::exists(m_runtime->filePath("kpf-test")); }))
            return QStringLiteral("weston did not start");
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("kpf-test"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        return {};
    }

    Server m_server;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    std::unique_ptr<QTemporaryDir> m_runtime;
};

std::string Show(const KpfHostProcess::Run &run)
{
    return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
        .toStdString();
}

QImage Picture(const QString &file)
{
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// How many scanlines of the two pictures differ by more than a step of antialiasing.
int DifferingScanlines(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return std::max(a.height(), b.height());
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > 8) {
                ++differing;
                break;
            }
        }
    }
    return differing;
}

class OnEveryDisplay : public ::testing::TestWithParam<Display>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        if (const QString missing = server.Start(host.environment); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
#if defined(__SANITIZE_ADDRESS__)
        // The client libraries of a real display (D-Bus for X11's accessibility, Wayland's and
        // the EGL driver's) keep allocations to the process's end, which LeakSanitizer calls
        // leaks; the module's own leaks are checked on the offscreen platform.
        if (GetParam().server != Server::None)
            host.environment.insert(QStringLiteral("ASAN_OPTIONS"),
                                    QStringLiteral("detect_leaks=0"));
#endif
    }

    // The typed line on the offscreen platform, the picture every display must give.
    static QImage Reference()
    {
        static const QImage reference = [] {
            KpfHostProcess offscreen;
            const QString file = offscreen.path(QStringLiteral("reference.png"));
            offscreen.runDemo(kTypeALine, {QStringLiteral("--screenshot"), file});
            return Picture(file);
        }();
        return reference;
    }

    static constexpr const char *kTypeALine =
        "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\nclick blsConfirm\n";

    KpfHostProcess host;
    DisplayServer server{GetParam().server};
};

TEST_P(OnEveryDisplay, StoredLinesComeBackWithTheTypedOne)
{
    const QString file = host.path(QStringLiteral("screen.png"));
    const auto run = host.runDemo(kTypeALine, {QStringLiteral("--screenshot"), file});
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    QStringList rows;
    for (const QJsonObject &row : run.objects(QStringLiteral("ROW ")))
        rows << row.value("CDIMPOSTO").toString() + "/" + row.value("rowState").toString();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"00/original", "01/inserted", "02/original", "03/original"}))
        << Show(run);
    const QImage shown = Picture(file);
    ASSERT_FALSE(shown.isNull());
    // Where the window system gives no focus (Weston without a seat), Qt paints the current row
    // as in an inactive window: that one row of the grid (15 scanlines) may differ, nothing else.
    const int differing = DifferingScanlines(shown, Reference());
    if (GetParam().focused)
        EXPECT_EQ(differing, 0) << "the screen differs from the offscreen one";
    else
        EXPECT_LE(differing, 16)
            << "the screen differs from the offscreen one beyond its current row";
}

// The box of a failed check keeps what was typed; another window in front and gone starts the
// editor again.
TEST_P(OnEveryDisplay, ABoxKeepsTheEntryTextsAndAReactivationResetsThem)
{
    const auto run = host.runDemo("type 01\nkey Enter\ntype 99,91\nkey Enter\ntype 10\n"
                                  "click blsConfirm\ndump\nreactivate\ndump\nclose\n");
    EXPECT_EQ(run.exitCode, KpfHostProcess::kNotConfirmed) << Show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("MESSAGE ")).size(), 1) << Show(run);
    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    ASSERT_EQ(states.size(), 2) << Show(run);
    EXPECT_EQ(states[0].value("nrCampo").toInt(), 2) << Show(run);
    EXPECT_EQ(states[0].value("txAliq").toString(), "99,91") << Show(run);
    EXPECT_EQ(states[1].value("nrCampo").toInt(), 1) << Show(run);
    EXPECT_EQ(states[1].value("txAliq").toString(), "") << Show(run);
    EXPECT_EQ(states[1].value("txValor").toString(), "") << Show(run);
}

TEST_P(OnEveryDisplay, ALoadingErrorComesOncePerActivation)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "displays");
        db.setDatabaseName(host.path(QStringLiteral("notables.db")));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE OTHER (A INTEGER)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("displays"));
    const auto run = host.runDemo(
        "dump\nreactivate\ndump\nclose\n",
        {QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=") +
                                             host.path(QStringLiteral("notables.db"))});
    EXPECT_EQ(run.exitCode, KpfHostProcess::kDatabaseFailed) << Show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("MESSAGE ")).size(), 2) << Show(run);
}

// A host's scheduled touch (KpfDll_ScheduleClick) waits for the screen's activation, which comes
// without the window system's focus too: the C example confirms the stored lines.
TEST_P(OnEveryDisplay, AScheduledTouchConfirmsOnceTheScreenIsActive)
{
    QProcess example;
    example.setProcessEnvironment(host.environment);
    example.start(QStringLiteral(KPF_BINARY_DIR "/bin/example_c_host"),
                  {QStringLiteral("--home"), host.home(), QStringLiteral("--confirm-after-ms"),
                   QStringLiteral("100"), QStringLiteral("0001"), QStringLiteral("001"),
                   QStringLiteral("000123"), QStringLiteral("2026-12-02")});
    ASSERT_TRUE(example.waitForFinished(60000)) << "the touch never came";
    const QString out = QString::fromUtf8(example.readAllStandardOutput());
    EXPECT_EQ(example.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("CONFIRMED\n"))) << out.toStdString();
    EXPECT_EQ(out.count(QStringLiteral("\nROW ")), 3) << out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Displays, OnEveryDisplay, ::testing::ValuesIn(kDisplays),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
