#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Runs the real kpfhost binary as a process on a home directory of its own: the demo settings
// files and a fresh demo SQLite database, headless (offscreen).
class KpfHostProcess
{
public:
    // kpfhost's exit codes beyond 0 (confirmed), 1 (failed) and 2 (usage).
    static constexpr int kNotConfirmed = 3;
    static constexpr int kDatabaseFailed = 4;
    static constexpr int kStoreUnknown = 5;
    static constexpr int kStoreKept = 6;

    struct Run {
        int exitCode = -1;
        bool finished = false;
        QStringList lines; // standard output, one entry per line
        QString errors;    // standard error

        QStringList linesStartingWith(const QString &prefix) const;
        // The JSON object of each line with that prefix ("STATE ", "ROW ").
        QList<QJsonObject> objects(const QString &prefix) const;
    };

    KpfHostProcess();

    bool ready() const { return m_ready; }
    QString setupError() const { return m_setupError; }
    QString home() const { return m_home.path(); }
    QString path(const QString &name) const { return m_home.filePath(name); }

    // KAVIRON.CDS with that printer type (IDTIPOIMPFIS).
    void writePrinterType(const QString &type);
    void writeFile(const QString &name, const QByteArray &content);
    void removeFile(const QString &name);

    // The demo Z reduction (0001, 001, 000123, 2026-12-02) with --home set, plus the extra
    // arguments; the script is written to a file and passed with --script unless empty.
    Run runDemo(const QByteArray &script, const QStringList &extra = {});
    Run run(const QStringList &arguments, const QByteArray &standardInput = {});
    // The same in two steps, for many at once: started with the environment, and waited for.
    std::unique_ptr<QProcess> start(const QStringList &arguments) const;
    static Run collect(QProcess &process, int timeoutMs = 90000);

    QProcessEnvironment environment;

    static QStringList demoKey();
    static QString binary();

private:
    QTemporaryDir m_home;
    bool m_ready = false;
    QString m_setupError;
};
