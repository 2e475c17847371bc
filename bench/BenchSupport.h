#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QWidget;

struct sqlite3;

namespace BenchSupport
{

// The Z reduction every screen benchmark opens, and the code the operator types (registered).
inline const QString Branch = QStringLiteral("0001");
inline const QString Till = QStringLiteral("001");
inline const QString ZCounter = QStringLiteral("0000000123");
inline const QByteArray ZDay = "2026-12-07";
inline const QString TypedCode = QStringLiteral("33"); // typed with sbt3
constexpr int StoredLines = 10;

// The statements the data module runs, as it writes them.
extern const char *const ImpRedZSql;
extern const char *const PesqImpSql;

// Two-character codes from an alphabet of 100, so that 10,000 of them fit VARCHAR(2); the first
// hundred are the digit pairs the keypad can type.
QString CodeOf(int index);

// Ends the program with sqlite3's message unless `rc` is a success code.
void Check(int rc, sqlite3 *db, const char *what);

// A home directory as kpfhost's: both settings files of the demo and a SQLite database made
// from db/schema.sql with `codes` tax codes and the stored lines of the Z reduction above.
class Home
{
public:
    explicit Home(int codes);
    QString Path() const { return m_dir.path(); }
    QString Database() const { return m_dir.filePath(QStringLiteral("kpf05520.db")); }

private:
    QTemporaryDir m_dir;
};

// Points the module at the home (program directory, connection string) and records messages and
// errors instead of showing boxes. Undone by Detach.
void AttachModule(const Home &home);
void DetachModule();
extern QStringList messages;
extern QStringList errors;

// Runs `call` (which shows a modal window) and plays `action` on the first visible top-level
// window accepted by `isTarget` once it is active and has been painted, as an operator who
// starts at once.
void RunWhenReady(const std::function<bool(QWidget *)> &isTarget,
                  const std::function<void(QWidget *)> &action, const std::function<void()> &call);

// A touch (press and release at the centre) on a widget.
void Touch(QWidget *widget);

// A benchmark's mean real time per iteration in the reporter's unit, kept by name.
class Reporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override;
    double Time(const std::string &name) const;
    // Its CPU time per iteration (the thread's, or the process's where the benchmark asks).
    double CpuTime(const std::string &name) const;
    // A user counter of its, as the reporter shows it.
    double Counter(const std::string &name, const std::string &counter) const;

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_cpuTimes;
    std::map<std::string, benchmark::UserCounters> m_counters;
};

// One figure for bench/run's table: "FIGURE|name|module|baseline|unit|ratio|goal".
void PrintFigure(const char *name, double module, double baseline, const char *unit,
                 const char *goal);

// Forces the offscreen platform, a fixed locale and time zone before QApplication starts.
void PrepareEnvironment();

} // namespace BenchSupport
