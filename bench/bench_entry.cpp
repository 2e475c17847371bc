// Whole calls as a host makes them: CriaImpostoRedz and the host library's settings found with
// dlsym in the libraries of the build, the operator confirming as soon as the screen is shown,
// active and drawn; beside the painted bare dialog (and the styled one) doing the same call's
// work. CPU is the whole process's, so the threads Qt starts count too.
#include "BareDialog.h"
#include "BenchSupport.h"
#include "DateTime.h"
#include "PaintedBareDialog.h"
#include "kpf05520.h"
#include "kpf_dll.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <dlfcn.h>
#include <memory>
#include <vector>

using namespace BenchSupport;

namespace
{

std::unique_ptr<Home> g_home;

struct Entry {
    decltype(&::CriaImpostoRedz) call = nullptr;
    decltype(&::KpfFree) free = nullptr;
};
Entry g_entry;

template <typename F> F Symbol(void *library, const char *name)
{
    void *symbol = library ? dlsym(library, name) : nullptr;
    if (!symbol) {
        std::fprintf(stderr, "no %s: %s\n", name, dlerror());
        std::exit(1);
    }
    return reinterpret_cast<F>(symbol);
}

// Loads both libraries from the program's directory and points the module at the home.
void LoadEntry(const QString &directory)
{
    void *hostLibrary =
        dlopen(qPrintable(directory + QStringLiteral("/lib_dll.so")), RTLD_NOW | RTLD_GLOBAL);
    void *module = dlopen(qPrintable(directory + QStringLiteral("/libPkg_Kpf05520.so")), RTLD_NOW);
    Symbol<decltype(&::Initialize)>(module, "Initialize")();
    Symbol<decltype(&::KpfDll_SetProgramDirectory)>(hostLibrary, "KpfDll_SetProgramDirectory")(
        g_home->Path().toUtf8().constData());
    const QByteArray connection = "Provider=SQLite;Data Source=" + g_home->Database().toUtf8();
    Symbol<decltype(&::KpfDll_SetConnectionString)>(hostLibrary, "KpfDll_SetConnectionString")(
        connection.constData());
    g_entry.call = Symbol<decltype(&::CriaImpostoRedz)>(module, "CriaImpostoRedz");
    g_entry.free = Symbol<decltype(&::KpfFree)>(module, "KpfFree");
}

int CallEntry()
{
    int code = KPF_FAILED;
    RunWhenReady(
        [](QWidget *widget) { return widget->inherits("TfrmImpost"); },
        [](QWidget *screen) { Touch(screen->findChild<QWidget *>(QStringLiteral("blsConfirm"))); },
        [&] {
            const double day = EncodeDateTime(2026, 12, 7);
            char *packet = nullptr, *error = nullptr;
            code = g_entry.call(qPrintable(Branch), qPrintable(Till), qPrintable(ZCounter), day,
                                day, nullptr, 0, &packet, &error);
            if (error)
                std::fprintf(stderr, "entry: %s\n", error);
            g_entry.free(packet);
            g_entry.free(error);
        });
    return code;
}

void BM_Entry_Module(benchmark::State &state)
{
    for (auto _ : state)
        if (CallEntry() != KPF_CONFIRMED)
            state.SkipWithError("the entry was not confirmed");
}

void BM_Entry_PaintedBare(benchmark::State &state)
{
    for (auto _ : state)
        if (!RunPaintedBareCall(g_home->Database()))
            state.SkipWithError("the painted bare dialog was not confirmed");
}

void BM_Entry_BareDialog(benchmark::State &state)
{
    for (auto _ : state)
        if (!RunBareCall(g_home->Database()))
            state.SkipWithError("the bare dialog was not confirmed");
}

// 200 calls a repetition, as a host's busy day would make them in one process.
BENCHMARK(BM_Entry_Module)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(200);
BENCHMARK(BM_Entry_PaintedBare)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(200);
BENCHMARK(BM_Entry_BareDialog)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(200);

} // namespace

int main(int argc, char **argv)
{
    PrepareEnvironment();
    QApplication app(argc, argv);
    // The repetitions of the three alternate, so that a load that comes and goes on the machine
    // falls on all of them alike (a later option on the command line still wins).
    std::vector<char *> args(argv, argv + argc);
    args.insert(args.begin() + 1,
                const_cast<char *>("--benchmark_enable_random_interleaving=true"));
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    g_home = std::make_unique<Home>(10000);
    LoadEntry(QCoreApplication::applicationDirPath());
    // One call of each first, so that no figure carries the first call's loading.
    if (CallEntry() != KPF_CONFIRMED || !RunPaintedBareCall(g_home->Database()) ||
        !RunBareCall(g_home->Database()))
        return 1;

    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintFigure("call through the C entry, CPU, warm (painted bare dialog)",
                reporter.CpuTime("BM_Entry_Module"), reporter.CpuTime("BM_Entry_PaintedBare"), "us",
                "ratio <= 1.5");
    PrintFigure("call through the C entry, wall, warm (painted bare dialog)",
                reporter.Time("BM_Entry_Module"), reporter.Time("BM_Entry_PaintedBare"), "us",
                "ratio <= 1.5");
    PrintFigure("call through the C entry, wall, warm (styled bare dialog)",
                reporter.Time("BM_Entry_Module"), reporter.Time("BM_Entry_BareDialog"), "us",
                "ratio <= 1.5");
    g_home.reset();
    return 0;
}
