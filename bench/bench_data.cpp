// GetImpRedZ (one Z reduction among 1,000,000 stored tax lines) and GetPesqImp (one code among
// 10,000) through the data module on SQLite, each beside the same query run through sqlite3's C
// interface. Prints both times and their ratio; the goal is a ratio of at most 2.
#include "BenchSupport.h"
#include "DateTime.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"
#include "TADOQuery.h"
#include "TDataSetProvider.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace BenchSupport;

namespace
{

constexpr int Branches = 10, Tills = 10, Days = 2000, LinesPerZ = 5; // 1,000,000 lines
constexpr int Codes = 10000;

// The searched Z reduction and code, in the middle of the data.
const char *const SearchBranch = "0005", *const SearchTill = "007";
const QDate SearchDay(2023, 9, 14);
QString SearchCode;

void FillDatabase(const QString &file)
{
    sqlite3 *db = nullptr;
    Check(sqlite3_open(file.toUtf8().constData(), &db), db, "open");
    QFile schema(QStringLiteral(KPF_SOURCE_DIR "/db/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        std::exit(1);
    Check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db, "schema");
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *code = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO IMPOSTO VALUES (?, ?)", -1, &code, nullptr), db,
          "prepare");
    for (int i = 0; i < Codes; ++i) {
        const QByteArray c = CodeOf(i).toUtf8(),
                         name = QByteArray("IMPOSTO ") + QByteArray::number(i);
        sqlite3_bind_text(code, 1, c.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(code, 2, name.constData(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(code), db, "insert code");
        sqlite3_reset(code);
    }
    sqlite3_finalize(code);
    sqlite3_stmt *line = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO IMPOSTOREDZ VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1,
                             &line, nullptr),
          db, "prepare");
    const QDate first(2021, 1, 1);
    int counter = 0;
    for (int b = 1; b <= Branches; ++b)
        for (int t = 1; t <= Tills; ++t)
            for (int d = 0; d < Days; ++d) {
                const QByteArray branch = QByteArray::number(b).rightJustified(4, '0'),
                                 till = QByteArray::number(t).rightJustified(3, '0'),
                                 z = QByteArray::number(++counter).rightJustified(10, '0'),
                                 day = first.addDays(d).toString(Qt::ISODate).toLatin1();
                for (int l = 0; l < LinesPerZ; ++l) {
                    const QByteArray c = CodeOf(l).toUtf8();
                    const double base = 100.0 + (counter % 997) + l, rate = 7 + 4 * l;
                    int k = 1;
                    for (const QByteArray *text : {&branch, &till, &z, &day, &c})
                        sqlite3_bind_text(line, k++, text->constData(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_double(line, 6, rate);
                    sqlite3_bind_double(line, 7, base);
                    sqlite3_bind_double(line, 8, int(base * rate) / 100.0);
                    Check(sqlite3_step(line), db, "insert line");
                    sqlite3_reset(line);
                }
            }
    sqlite3_finalize(line);
    Check(sqlite3_exec(db, "COMMIT; ANALYZE", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// One row as the C side keeps it: what a caller would copy out of the statement.
struct Line {
    std::string branch, till, counter, day, code;
    double rate = 0, base = 0, tax = 0;
};

std::string Text(sqlite3_stmt *stmt, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(stmt, column))) : std::string();
}

QString g_file;

void BM_GetImpRedZ_Module(benchmark::State &state)
{
    const TDateTime day = DateToDateTime(SearchDay);
    for (auto _ : state) {
        Variant result = Srv_Kpf05520::GetImpRedZ(SearchBranch, SearchTill, day);
        if (!result.isPacket())
            state.SkipWithError(result.text().toUtf8().constData());
        benchmark::DoNotOptimize(result);
    }
}

// The two halves of GetImpRedZ, to see where its time goes: the query, and the packet.
void BM_GetImpRedZ_QueryOnly(benchmark::State &state)
{
    TADOQuery *query = Srv_Kpf05520::rdmImpost->adqImpRedZ;
    TParameters &parameters = query->Parameters();
    for (auto _ : state) {
        query->Close();
        parameters.ParamByName(QStringLiteral("P_CDFILIAL")).SetAsString(SearchBranch);
        parameters.ParamByName(QStringLiteral("P_CDCAIXA")).SetAsString(SearchTill);
        parameters.ParamByName(QStringLiteral("P_DTREDUCAOZ")).SetAsDate(DateToDateTime(SearchDay));
        query->Open();
        benchmark::DoNotOptimize(query->RecordCount());
    }
}

void BM_GetImpRedZ_PacketOnly(benchmark::State &state)
{
    Srv_Kpf05520::GetImpRedZ(SearchBranch, SearchTill, DateToDateTime(SearchDay)); // leaves it open
    for (auto _ : state) {
        Variant packet = Srv_Kpf05520::rdmImpost->dspImpRedZ->Data();
        benchmark::DoNotOptimize(packet);
    }
}

void BM_GetImpRedZ_SQLiteC(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    Check(sqlite3_prepare_v2(db, ImpRedZSql, -1, &stmt, nullptr), db, "prepare");
    const QByteArray day = SearchDay.toString(Qt::ISODate).toLatin1();
    for (auto _ : state) {
        sqlite3_reset(stmt);
        sqlite3_bind_text(stmt, 1, SearchBranch, -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, SearchTill, -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 3, day.constData(), -1, SQLITE_STATIC);
        std::vector<Line> lines;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            lines.push_back({Text(stmt, 0), Text(stmt, 1), Text(stmt, 2), Text(stmt, 3),
                             Text(stmt, 4), sqlite3_column_double(stmt, 5),
                             sqlite3_column_double(stmt, 6), sqlite3_column_double(stmt, 7)});
        if (lines.size() != LinesPerZ)
            state.SkipWithError("wrong number of lines");
        benchmark::DoNotOptimize(lines);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

void BM_GetPesqImp_Module(benchmark::State &state)
{
    for (auto _ : state) {
        Variant result = Srv_Kpf05520::GetPesqImp(SearchCode);
        if (!result.isPacket())
            state.SkipWithError(result.text().toUtf8().constData());
        benchmark::DoNotOptimize(result);
    }
}

void BM_GetPesqImp_SQLiteC(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    Check(sqlite3_prepare_v2(db, PesqImpSql, -1, &stmt, nullptr), db, "prepare");
    const QByteArray code = SearchCode.toUtf8();
    for (auto _ : state) {
        sqlite3_reset(stmt);
        sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_STATIC);
        std::vector<std::pair<std::string, std::string>> rows;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows.emplace_back(Text(stmt, 0), Text(stmt, 1));
        if (rows.size() != 1)
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

BENCHMARK(BM_GetImpRedZ_Module)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetImpRedZ_SQLiteC)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetImpRedZ_QueryOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetImpRedZ_PacketOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetPesqImp_Module)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetPesqImp_SQLiteC)->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps each benchmark's real time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // One figure per benchmark: the run, or the median of repeated runs.
        for (const Run &run : runs)
            if (!run.error_occurred &&
                (run.run_type == Run::RT_Iteration || run.aggregate_name == "median"))
                times[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                     run.GetAdjustedCPUTime()};
    }
    std::map<std::string, std::pair<double, double>> times; // real and CPU, in µs
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // KPF_BENCH_DB keeps the filled database between runs (for profiling); else a temporary one.
    QTemporaryDir dir;
    g_file = qEnvironmentVariable("KPF_BENCH_DB", dir.filePath(QStringLiteral("kpf05520.db")));
    SearchCode = CodeOf(Codes / 2);
    if (!QFile::exists(g_file)) {
        std::fprintf(stderr, "filling %s with %d tax lines and %d codes...\n", qPrintable(g_file),
                     Branches * Tills * Days * LinesPerZ, Codes);
        FillDatabase(g_file);
    }

    Geralkvr::SetStringConexKvr(QStringLiteral("Provider=SQLite;Data Source=") + g_file);
    Srv_Kpf05520::rdmImpost = new TrdmImpost(nullptr);
    Srv_Kpf05520::rdmImpost->adcImpost->Open();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    delete std::exchange(Srv_Kpf05520::rdmImpost, nullptr);

    // On a shared machine the CPU times are the steadier figures.
    std::printf("\n%-11s %10s %10s %6s   %10s %10s %6s  (goal: ratio <= 2)\n", "query", "module",
                "sqlite3", "ratio", "module cpu", "sqlite cpu", "ratio");
    for (const char *name : {"GetImpRedZ", "GetPesqImp"}) {
        const auto module = reporter.times[std::string("BM_") + name + "_Module"];
        const auto direct = reporter.times[std::string("BM_") + name + "_SQLiteC"];
        if (module.first > 0 && direct.first > 0 && direct.second > 0)
            std::printf("%-11s %8.2fus %8.2fus %6.2f   %8.2fus %8.2fus %6.2f\n", name, module.first,
                        direct.first, module.first / direct.first, module.second, direct.second,
                        module.second / direct.second);
    }
    return 0;
}
