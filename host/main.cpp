// kpfhost: the reference host of the Kpf05520 module. See kpfhost --help and the README.
#include "DemoHome.h"
#include "HostOptions.h"
#include "HostOutput.h"
#include "HostSession.h"
#include "InstallLayout.h"
#include "RuntimeDirectory.h"
#include "ScriptReader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace
{

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

std::optional<QByteArray> readFile(const QString &name, QString *error)
{
    QFile file;
    const bool opened = name == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::optional<std::vector<ScriptCommand>> readScript(const QString &name, QString *error)
{
    const auto bytes = readFile(name, error);
    if (!bytes)
        return std::nullopt;
    const ScriptReader::Result script = ScriptReader::parse(*bytes);
    if (!script.ok()) {
        const QString where = name == QLatin1String("-") ? QStringLiteral("standard input") : name;
        *error = script.errorLine > 0 ? QStringLiteral("script %1 line %2: %3")
                                            .arg(where)
                                            .arg(script.errorLine)
                                            .arg(script.error)
                                      : QStringLiteral("script %1: %2").arg(where, script.error);
        return std::nullopt;
    }
    return script.commands;
}

// The entry takes the packet as a NUL-terminated text, so a NUL would end it there and the rest
// would be dropped unseen.
std::optional<QByteArray> readSource(const QString &name, QString *error)
{
    auto bytes = readFile(name, error);
    if (!bytes)
        return std::nullopt;
    if (const qsizetype nul = bytes->indexOf('\0'); nul >= 0) {
        *error = QStringLiteral("--source %1 holds a NUL byte at offset %2; a packet is text")
                     .arg(name)
                     .arg(nul);
        return std::nullopt;
    }
    return bytes;
}

bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return !platform.startsWith("offscreen") && !platform.startsWith("minimal");
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int usageError(const QString &message)
{
    HostOutput::Note(message);
    std::fputs("\n", stderr);
    std::fputs(HostOptions::Usage().toUtf8().constData(), stderr);
    return HostSession::UsageOrScriptError;
}

// --help and --version need no screen: a plain application gives QCommandLineParser the
// program's name.
int printHelpOrVersion(int argc, char **argv, bool help)
{
    QCoreApplication app(argc, argv);
    const QString text =
        help ? HostOptions::Help()
             : QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                             QCoreApplication::applicationVersion());
    std::fputs(text.toUtf8().constData(), stdout);
    return HostSession::Done;
}

int makeDemoHome(int argc, char **argv, const QString &home)
{
    QCoreApplication app(argc, argv);
    QString error;
    if (!DemoHome::Make(home, InstallLayout::DataDirectory(QCoreApplication::applicationDirPath()),
                        &error)) {
        HostOutput::Note(QStringLiteral("--make-demo-home: %1").arg(error));
        return HostSession::EntryFailed;
    }
    HostOutput::Note(QStringLiteral("%1 is a demo home; try kpfhost --home %1 --branch "
                                    "0001 --till 001 -z 0000000123 --date 2026-12-02")
                         .arg(home));
    return HostSession::Done;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("kpfhost"));
    QCoreApplication::setApplicationVersion(HostOptions::Version());
    QString error;
    auto options = HostOptions::Parse(arguments(argc, argv), &error);
    if (!options)
        return usageError(error);
    if (options->help || options->version)
        return printHelpOrVersion(argc, argv, options->help);
    if (!options->home.isEmpty() && !QFileInfo(options->home).isDir())
        return usageError(QStringLiteral("--home %1 is not a directory").arg(options->home));
    if (!options->demoHome.isEmpty())
        return makeDemoHome(argc, argv, options->demoHome);
    if (options->storeSpool) {
        QCoreApplication app(argc, argv);
        HostSession session(std::move(*options), std::nullopt, std::nullopt);
        return session.RunStoreSpool();
    }
    std::optional<std::vector<ScriptCommand>> script;
    if (!options->scriptFile.isEmpty() && !(script = readScript(options->scriptFile, &error)))
        return usageError(error);
    std::optional<QByteArray> source;
    if (!options->sourceFile.isEmpty() && !(source = readSource(options->sourceFile, &error)))
        return usageError(error);
    if (!hasDisplay()) {
        if (!script) {
            HostOutput::Note(QStringLiteral("no display to show the screen on and no --script to "
                                            "play: give a script or run it on a display"));
            return HostSession::UsageOrScriptError;
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    RuntimeDirectory::EnsureForQt();
    QApplication app(argc, argv);
    const int status = HostSession(std::move(*options), std::move(script), std::move(source)).Run();
    // Qt 6.4's Wayland client can deadlock while the application is destroyed (its event thread
    // waits to read while the main thread waits for it to end). Everything is written and
    // flushed by now, so on Wayland the process ends here.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
