// The tax screen driven through the module's entry on SQLite, beside the least that could do the
// same: opening and closing it against a bare dialog, one keypad touch against the grid's own
// repaint of a cell, a code check against the same SELECT through sqlite3's C interface, and
// Enter on a code against that SELECT plus the repaint of one cell of a bare table view.
#include "BareDialog.h"
#include "BenchSupport.h"
#include "Cli_Kpf05520.h"
#include "DateTime.h"
#include "TDBGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace BenchSupport;

namespace
{

std::unique_ptr<Home> g_home;

bool IsScreen(QWidget *widget)
{
    return widget == Cli_Kpf05520::frmImpost;
}

QWidget *Control(QWidget *screen, const char *name)
{
    auto *control = screen->findChild<QWidget *>(QLatin1String(name));
    if (!control) {
        std::fprintf(stderr, "no control %s\n", name);
        std::abort();
    }
    return control;
}

Variant RunEntry(const std::function<void(QWidget *)> &action)
{
    Variant result;
    RunWhenReady(IsScreen, action, [&] {
        const TDateTime day = EncodeDateTime(2026, 12, 7);
        result = Cli_Kpf05520::CriaImpostoRedZ(Branch, Till, ZCounter, day, day, nullptr);
    });
    return result;
}

void Confirm(QWidget *screen)
{
    Touch(Control(screen, "blsConfirm"));
}

void BM_OpenClose_Module(benchmark::State &state)
{
    for (auto _ : state) {
        const Variant result = RunEntry(Confirm);
        if (!result.isPacket())
            state.SkipWithError("the entry was not confirmed");
    }
}

void BM_OpenClose_BareDialog(benchmark::State &state)
{
    for (auto _ : state)
        if (!RunBareCall(g_home->Database()))
            state.SkipWithError("the bare dialog was not confirmed");
}

enum class Field { Code, Rate };
enum class Repaint { Timed, Untimed };

// The measured part of each iteration is a function of its own, named Measured*, so that
// bench/callgrind can count its instructions alone (--toggle-collect).
[[gnu::noinline]] void MeasuredTouch(const std::function<void(QWidget *)> &touch, QWidget *screen,
                                     Repaint repaint)
{
    touch(screen);
    if (repaint == Repaint::Timed)
        QApplication::processEvents();
}

// Times `touch` (with the repaint it causes) once per iteration on an open screen holding a
// pending line whose code is typed, the cursor on `field`; `undo` runs untimed after each. The
// screen is closed without confirming at the end.
void OnPendingLine(benchmark::State &state, Field field,
                   const std::function<void(QWidget *)> &touch,
                   const std::function<void(QWidget *)> &undo, Repaint repaint = Repaint::Timed)
{
    RunEntry([&](QWidget *screen) {
        for (int i = 0; i < TypedCode.size(); ++i)
            Touch(Control(screen, "sbt3"));
        if (field == Field::Rate)
            Touch(Control(screen, "sbtEnter"));
        QApplication::processEvents();
        for (auto _ : state) {
            QElapsedTimer clock;
            clock.start();
            MeasuredTouch(touch, screen, repaint);
            state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
            QApplication::processEvents();
            if (undo) {
                undo(screen);
                QApplication::processEvents();
            }
        }
        static_cast<TForm *>(screen)->Close();
    });
    if (!messages.isEmpty() || !errors.isEmpty()) {
        state.SkipWithError(qPrintable(QStringLiteral("the screen complained: ") +
                                       (messages + errors).join(QLatin1Char('|'))));
        messages.clear();
        errors.clear();
    }
}

// A digit on the rate field of the pending line, taken back untimed by the correct key.
void BM_Keypad_Module(benchmark::State &state)
{
    OnPendingLine(
        state, Field::Rate, [](QWidget *screen) { Touch(Control(screen, "sbt1")); },
        [](QWidget *screen) { Touch(Control(screen, "sbtCorrigir")); });
}

void BM_Keypad_GridCell(benchmark::State &state)
{
    OnPendingLine(state, Field::Rate,
                  [](QWidget *screen) {
                      auto *grid = screen->findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
                      const QModelIndex cell = grid->model()->index(0, 1);
                      emit grid->model()->dataChanged(cell, cell);
                  },
                  {});
}

// Enter on the typed code (checked among 10,000), back untimed to the code field.
void BM_CodeCheck_Module(benchmark::State &state)
{
    OnPendingLine(
        state, Field::Code, [](QWidget *screen) { Touch(Control(screen, "sbtEnter")); },
        [](QWidget *screen) { Touch(Control(screen, "sbtVoltar")); });
}

// The check alone, as leaving the code field runs it: the lookup through the data module, the
// packet into the screen's data set, the verdict; the repaint of the code's cell is left out.
void BM_CodeCheck_CheckOnly(benchmark::State &state)
{
    OnPendingLine(
        state, Field::Code,
        [](QWidget *screen) { static_cast<TfrmImpost *>(screen)->Vd_CdImposto(true); }, {},
        Repaint::Untimed);
}

[[gnu::noinline]] void MeasuredCellRepaint(QStandardItemModel &model, const QModelIndex &cell,
                                           int i)
{
    model.setData(cell, QString::number(i % 2 ? 33 : 34));
    QApplication::processEvents();
}

// The repaint of one cell of a bare table view of the grid's size, as Enter's limit has it.
void BM_CellRepaint_BareTable(benchmark::State &state)
{
    QStandardItemModel model(StoredLines + 1, 3);
    QTableView table;
    table.setModel(&model);
    table.setFixedSize(420, 260);
    table.show();
    if (!QTest::qWaitForWindowExposed(&table))
        state.SkipWithError("the table was never shown");
    QApplication::processEvents();
    const QModelIndex cell = model.index(0, 0);
    int i = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        MeasuredCellRepaint(model, cell, ++i);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

[[gnu::noinline]] std::string MeasuredLookUp(sqlite3_stmt *stmt, const QByteArray &code)
{
    sqlite3_reset(stmt);
    sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_STATIC);
    std::string cd, name;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        cd = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        name = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1));
    }
    benchmark::DoNotOptimize(cd);
    return name;
}

void BM_CodeCheck_SQLiteC(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(g_home->Database().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, PesqImpSql, -1, &stmt, nullptr);
    const QByteArray code = TypedCode.toUtf8();
    for (auto _ : state) {
        const std::string name = MeasuredLookUp(stmt, code);
        if (name.empty())
            state.SkipWithError("code not found");
        benchmark::DoNotOptimize(name);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// Registers every benchmark of the program. KPF_BENCH_ITERATIONS fixes their iterations (one run,
// no estimate), as bench/callgrind needs to tell iterations apart.
void RegisterBenchmarks()
{
    const struct {
        const char *name;
        void (*run)(benchmark::State &);
        bool manualTime;
    } benchmarks[] = {
        {"BM_OpenClose_Module", BM_OpenClose_Module, false},
        {"BM_OpenClose_BareDialog", BM_OpenClose_BareDialog, false},
        {"BM_Keypad_Module", BM_Keypad_Module, true},
        {"BM_Keypad_GridCell", BM_Keypad_GridCell, true},
        {"BM_CodeCheck_Module", BM_CodeCheck_Module, true},
        {"BM_CodeCheck_CheckOnly", BM_CodeCheck_CheckOnly, true},
        {"BM_CodeCheck_SQLiteC", BM_CodeCheck_SQLiteC, false},
        {"BM_CellRepaint_BareTable", BM_CellRepaint_BareTable, true},
    };
    const int iterations = qEnvironmentVariableIntValue("KPF_BENCH_ITERATIONS");
    for (const auto &b : benchmarks) {
        auto *registered = benchmark::RegisterBenchmark(b.name, b.run);
        registered->Unit(benchmark::kMicrosecond);
        b.manualTime ? registered->UseManualTime() : registered->UseRealTime();
        if (iterations > 0)
            registered->Iterations(iterations);
    }
}

} // namespace

int main(int argc, char **argv)
{
    PrepareEnvironment();
    QApplication app(argc, argv);
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    std::fprintf(stderr, "making the database (10,000 codes, %d stored lines)...\n", StoredLines);
    g_home = std::make_unique<Home>(10000);
    AttachModule(*g_home);

    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    DetachModule();

    PrintFigure("open and close, warm", reporter.Time("BM_OpenClose_Module"),
                reporter.Time("BM_OpenClose_BareDialog"), "us", "ratio <= 1.5");
    PrintFigure("one keypad touch", reporter.Time("BM_Keypad_Module"),
                reporter.Time("BM_Keypad_GridCell"), "us", "module < 500 us");
    PrintFigure("code check among 10,000 codes", reporter.Time("BM_CodeCheck_CheckOnly"),
                reporter.Time("BM_CodeCheck_SQLiteC"), "us", "ratio <= 2");
    PrintFigure("Enter on a code (touch, check, repaint)", reporter.Time("BM_CodeCheck_Module"),
                reporter.Time("BM_CodeCheck_SQLiteC") + reporter.Time("BM_CellRepaint_BareTable"),
                "us", "ratio <= 2");
    g_home.reset();
    return 0;
}
