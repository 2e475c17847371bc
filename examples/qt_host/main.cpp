// qt_till: a till program with a Qt Widgets main window of its own that calls the Kpf05520
// module from a button. It loads the module's C entry with dlopen on its own QApplication, which
// the module uses, and stores the confirmed lines through Qt SQL on the module's connection.
//   qt_till [--lib-dir DIR] [--home DIR] [--connection TEXT] [--timer-call-ms N]
//           BRANCH TILL ZCOUNTER YYYY-MM-DD
#include "ModuleLibrary.h"
#include "TillWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption libDir(QStringLiteral("lib-dir"),
                                    QStringLiteral("the module's directory (default: beside)"),
                                    QStringLiteral("DIR"), app.applicationDirPath());
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("where the settings files and database lie"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption connection(QStringLiteral("connection"),
                                        QStringLiteral("the module's connection string"),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption timerCall(
        QStringLiteral("timer-call-ms"),
        QStringLiteral("a timer calls the entry again N ms into each call (it is refused)"),
        QStringLiteral("N"), QStringLiteral("-1"));
    parser.addOptions({libDir, home, connection, timerCall});
    parser.addPositionalArgument(QStringLiteral("key"),
                                 QStringLiteral("BRANCH TILL ZCOUNTER DATE"));
    parser.process(app);
    const QStringList key = parser.positionalArguments();
    if (key.size() != 4) {
        std::fprintf(stderr, "qt_till: give BRANCH TILL ZCOUNTER YYYY-MM-DD\n");
        return 2;
    }

    ModuleLibrary module;
    QString error;
    if (!module.Load(parser.value(libDir), &error)) {
        std::printf("FAILED %s\n", error.toUtf8().constData());
        return 2;
    }
    module.Initialize();
    module.SetProgramDirectory(parser.isSet(home) ? parser.value(home) : parser.value(libDir));
    if (parser.isSet(connection))
        module.SetConnectionString(parser.value(connection));

    TillWindow window(module, {key[0], key[1], key[2], key[3]}, parser.value(timerCall).toInt());
    window.move(0, 0);
    window.show();
    return app.exec();
}
