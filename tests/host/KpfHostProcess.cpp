#include "KpfHostProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

QStringList KpfHostProcess::Run::linesStartingWith(const QString &prefix) const
{
    QStringList found;
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            found.append(line);
    }
    return found;
}

QList<QJsonObject> KpfHostProcess::Run::objects(const QString &prefix) const
{
    QList<QJsonObject> found;
    for (const QString &line : linesStartingWith(prefix))
        found.append(QJsonDocument::fromJson(line.mid(prefix.size()).toUtf8()).object());
    return found;
}

KpfHostProcess::KpfHostProcess()
{
    environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KPF_CONNECTION"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The default spool (~/.local/share/kpfhost/spool) in the test's own home.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home());
    const QDir demo(QStringLiteral(KPF_SOURCE_DIR "/demo"));
    for (const char *name : {"PARAMETROSKVR.CDS", "KAVIRON.CDS"}) {
        if (!QFile::copy(demo.filePath(QLatin1String(name)), path(QLatin1String(name)))) {
            m_setupError = QStringLiteral("cannot copy demo/%1").arg(QLatin1String(name));
            return;
        }
    }
    QProcess make;
    make.start(QStringLiteral("bash"),
               {QStringLiteral(KPF_SOURCE_DIR "/scripts/make-demo-db"), home()});
    if (!make.waitForFinished(60000) || make.exitCode() != 0) {
        m_setupError = QStringLiteral("scripts/make-demo-db failed: ") +
                       QString::fromUtf8(make.readAllStandardError());
        return;
    }
    m_ready = true;
}

void KpfHostProcess::writePrinterType(const QString &type)
{
    writeFile(QStringLiteral("KAVIRON.CDS"),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                             "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                             "<FIELD attrname=\"IDTIPOIMPFIS\" fieldtype=\"string\" WIDTH=\"2\"/>"
                             "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                             "<ROW IDTIPOIMPFIS=\"%1\"/></ROWDATA></DATAPACKET>\n")
                  .arg(type)
                  .toUtf8());
}

void KpfHostProcess::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(path(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

void KpfHostProcess::removeFile(const QString &name)
{
    QFile::remove(path(name));
}

QStringList KpfHostProcess::demoKey()
{
    return {QStringLiteral("--branch"), QStringLiteral("0001"),      QStringLiteral("--till"),
            QStringLiteral("001"),      QStringLiteral("--z"),       QStringLiteral("000123"),
            QStringLiteral("--date"),   QStringLiteral("2026-12-02")};
}

QString KpfHostProcess::binary()
{
    return QStringLiteral(KPF_BINARY_DIR "/bin/kpfhost");
}

KpfHostProcess::Run KpfHostProcess::runDemo(const QByteArray &script, const QStringList &extra)
{
    QStringList arguments = demoKey() + QStringList{QStringLiteral("--home"), home()};
    if (!script.isEmpty()) {
        writeFile(QStringLiteral("test.script"), script);
        arguments << QStringLiteral("--script") << path(QStringLiteral("test.script"));
    }
    return run(arguments + extra);
}

KpfHostProcess::Run KpfHostProcess::run(const QStringList &arguments,
                                        const QByteArray &standardInput)
{
    const std::unique_ptr<QProcess> process = start(arguments);
    if (!process->waitForStarted(10000)) {
        Run result;
        result.errors = process->errorString();
        return result;
    }
    process->write(standardInput);
    process->closeWriteChannel();
    return collect(*process);
}

std::unique_ptr<QProcess> KpfHostProcess::start(const QStringList &arguments) const
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(binary(), arguments);
    return process;
}

KpfHostProcess::Run KpfHostProcess::collect(QProcess &process, int timeoutMs)
{
    Run result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.lines = QString::fromUtf8(process.readAllStandardOutput())
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}
