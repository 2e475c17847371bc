#include "BenchSupport.h"

#include "EventGuard.h"
#include "Geralkvr.h"
#include "Mensagemkvr.h"
#include "SysUtils.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <time.h>

namespace BenchSupport
{

const char *const ImpRedZSql = "SELECT\n   CDFILIAL,\n   CDCAIXA,\n   NRECFREDZ,\n   DTREDUCAOZ,\n"
                               "   CDIMPOSTO,\n   VRALIQIMPRZ,\n   VRBCALCIMPRZ,\n   VRIMPOSTORZ\n"
                               "FROM\n   IMPOSTOREDZ\nWHERE\n   CDFILIAL = :P_CDFILIAL AND\n"
                               "   CDCAIXA = :P_CDCAIXA AND\n   DTREDUCAOZ = :P_DTREDUCAOZ";
const char *const PesqImpSql =
    "SELECT\n   CDIMPOSTO,\n   NMIMPOSTO\nFROM\n   IMPOSTO\nWHERE\n   CDIMPOSTO = :P_CDIMPOSTO";

QStringList messages;
QStringList errors;

QString CodeOf(int index)
{
    static const QString alphabet = [] {
        QString a =
            QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        for (char16_t c = 0xC0; a.size() < 100; ++c)
            if (c != 0xD7 && c != 0xF7)
                a += QChar(c);
        return a;
    }();
    return QString(alphabet[index / 100]) + alphabet[index % 100];
}

void Check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

namespace
{

QByteArray ReadSource(const char *relative)
{
    QFile file(QStringLiteral(KPF_SOURCE_DIR "/") + QLatin1String(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", relative);
        std::exit(1);
    }
    return file.readAll();
}

void InsertCodes(sqlite3 *db, int codes)
{
    sqlite3_stmt *stmt = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO IMPOSTO VALUES (?, ?)", -1, &stmt, nullptr), db,
          "prepare");
    for (int i = 0; i < codes; ++i) {
        const QByteArray code = CodeOf(i).toUtf8(), name = "IMPOSTO " + QByteArray::number(i);
        sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.constData(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(stmt), db, "insert code");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

void InsertStoredLines(sqlite3 *db)
{
    sqlite3_stmt *stmt = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO IMPOSTOREDZ VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1,
                             &stmt, nullptr),
          db, "prepare");
    const QByteArray branch = Branch.toUtf8(), till = Till.toUtf8(), z = ZCounter.toUtf8();
    for (int i = 0; i < StoredLines; ++i) {
        const QByteArray code = CodeOf(i + 1).toUtf8();
        const double rate = 7 + i, base = 100.0 * (i + 1);
        int k = 1;
        for (const QByteArray *text : {&branch, &till, &z, &ZDay, &code})
            sqlite3_bind_text(stmt, k++, text->constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(stmt, 6, rate);
        sqlite3_bind_double(stmt, 7, base);
        sqlite3_bind_double(stmt, 8, int(base * rate) / 100.0);
        Check(sqlite3_step(stmt), db, "insert line");
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

} // namespace

Home::Home(int codes)
{
    for (const char *name : {"PARAMETROSKVR.CDS", "KAVIRON.CDS"})
        QFile::copy(QStringLiteral(KPF_SOURCE_DIR "/demo/") + QLatin1String(name),
                    m_dir.filePath(QLatin1String(name)));
    sqlite3 *db = nullptr;
    Check(sqlite3_open(Database().toUtf8().constData(), &db), db, "open");
    Check(sqlite3_exec(db, ReadSource("db/schema.sql").constData(), nullptr, nullptr, nullptr), db,
          "schema");
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    InsertCodes(db, codes);
    InsertStoredLines(db);
    Check(sqlite3_exec(db, "COMMIT; ANALYZE", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

void AttachModule(const Home &home)
{
    SetProgramPathOverride(home.Path() + QStringLiteral("/kpfhost"));
    Geralkvr::SetStringConexKvr(QStringLiteral("Provider=SQLite;Data Source=") + home.Database());
    Mensagemkvr::SetMessagePresenter([](const QString &text, TTipoMsg) { messages << text; });
    SetErrorPresenter([](const QString &text) { errors << text; });
}

void DetachModule()
{
    Mensagemkvr::SetMessagePresenter({});
    SetErrorPresenter({});
    Geralkvr::SetStringConexKvr(QString());
    SetProgramPathOverride(QString());
}

namespace
{

// Watches the paints inside every top-level window and its activation; plays the action once,
// queued, when the target is both active and painted.
class ReadyWatcher : public QObject
{
public:
    ReadyWatcher(const std::function<bool(QWidget *)> &isTarget,
                 const std::function<void(QWidget *)> &action)
        : m_isTarget(isTarget), m_action(action)
    {
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (m_done || (type != QEvent::Paint && type != QEvent::WindowActivate))
            return false;
        // A window wholly covered by opaque children gets no paint of its own; any paint
        // inside it counts.
        auto *painted = qobject_cast<QWidget *>(object);
        if (!painted || (type == QEvent::WindowActivate && !painted->isWindow()))
            return false;
        QWidget *widget = painted->window();
        if (!m_isTarget(widget))
            return false;
        m_painted = m_painted || type == QEvent::Paint;
        if (m_painted && widget->isActiveWindow()) {
            m_done = true;
            QPointer<QWidget> target(widget);
            QMetaObject::invokeMethod(
                this,
                [this, target] {
                    if (target)
                        m_action(target);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<bool(QWidget *)> m_isTarget;
    std::function<void(QWidget *)> m_action;
    bool m_painted = false;
    bool m_done = false;
};

} // namespace

void RunWhenReady(const std::function<bool(QWidget *)> &isTarget,
                  const std::function<void(QWidget *)> &action, const std::function<void()> &call)
{
    ReadyWatcher watcher(isTarget, action);
    qApp->installEventFilter(&watcher);
    call();
    qApp->removeEventFilter(&watcher);
}

void Touch(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void Reporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        // With repetitions, the median stands for the benchmark; a single run for itself.
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !median))
            continue;
        const std::string &name = run.run_name.function_name;
        if (median || !m_times.count(name)) {
            m_times[name] = run.GetAdjustedRealTime();
            m_cpuTimes[name] = run.GetAdjustedCPUTime();
            m_counters[name] = run.counters;
        }
    }
}

double Reporter::Time(const std::string &name) const
{
    const auto it = m_times.find(name);
    return it == m_times.end() ? 0 : it->second;
}

double Reporter::Counter(const std::string &name, const std::string &counter) const
{
    const auto it = m_counters.find(name);
    if (it == m_counters.end())
        return 0;
    const auto value = it->second.find(counter);
    return value == it->second.end() ? 0 : double(value->second);
}

double Reporter::CpuTime(const std::string &name) const
{
    const auto it = m_cpuTimes.find(name);
    return it == m_cpuTimes.end() ? 0 : it->second;
}

void PrintFigure(const char *name, double module, double baseline, const char *unit,
                 const char *goal)
{
    const double ratio = module > 0 && baseline > 0 ? module / baseline : 0;
    std::printf("FIGURE|%s|%.3f|%.3f|%s|%.2f|%s\n", name, module, baseline, unit, ratio, goal);
    std::fflush(stdout);
}

void PrepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "America/Sao_Paulo");
    tzset();
}

} // namespace BenchSupport
