// Whole processes: kpfhost making one entry call on SQLite with 10 stored lines, the operator
// confirming at once, beside the bare dialogs' program doing the same (wall clock and, against
// the painted bare dialog, the child's CPU time); then their memory: the peak resident size of
// one session, and its growth over 1,000 calls in one process (the peak of 1,010 calls less the
// peak of 10).
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace BenchSupport;

namespace
{

std::unique_ptr<Home> g_home;
QString g_binDir;

std::vector<QByteArray> KpfhostCommand(int calls)
{
    return {(g_binDir + QStringLiteral("/kpfhost")).toLocal8Bit(),
            "--home",
            g_home->Path().toLocal8Bit(),
            "--branch",
            Branch.toLatin1(),
            "--till",
            Till.toLatin1(),
            "--z",
            ZCounter.toLatin1(),
            "--date",
            ZDay,
            "--script",
            (g_home->Path() + QStringLiteral("/confirm.script")).toLocal8Bit(),
            "--calls",
            QByteArray::number(calls)};
}

std::vector<QByteArray> BareCommand(int calls)
{
    return {(g_binDir + QStringLiteral("/bench_bare")).toLocal8Bit(),
            g_home->Database().toLocal8Bit(), QByteArray::number(calls)};
}

std::vector<QByteArray> PaintedBareCommand(int calls)
{
    std::vector<QByteArray> command = BareCommand(calls);
    command.push_back("painted");
    return command;
}

// CPU seconds (user and system) of the programs Run waited for, kept by the benchmarks.
double g_childCpu = 0;

// Runs the program to its end with its output discarded; its peak resident size in KiB, or -1
// when it failed.
long Run(const std::vector<QByteArray> &command)
{
    std::vector<char *> argv;
    for (const QByteArray &part : command)
        argv.push_back(const_cast<char *>(part.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    g_childCpu += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return usage.ru_maxrss;
}

// One call as a whole process; the counter "child_cpu" is the program's CPU time a run.
void RunProcesses(benchmark::State &state, std::vector<QByteArray> (*command)(int))
{
    g_childCpu = 0;
    for (auto _ : state)
        if (Run(command(1)) < 0)
            state.SkipWithError("the program failed");
    state.counters["child_cpu"] =
        benchmark::Counter(g_childCpu, benchmark::Counter::kAvgIterations);
}

void BM_Process_Kpfhost(benchmark::State &state)
{
    RunProcesses(state, KpfhostCommand);
}

void BM_Process_BareDialog(benchmark::State &state)
{
    RunProcesses(state, BareCommand);
}

void BM_Process_PaintedBare(benchmark::State &state)
{
    RunProcesses(state, PaintedBareCommand);
}

BENCHMARK(BM_Process_Kpfhost)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_Process_BareDialog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_Process_PaintedBare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Medians over `repeats` runs, in MiB: the peak of one call and the growth over 1,000 calls.
std::pair<double, double> Memory(std::vector<QByteArray> (*command)(int), int repeats)
{
    std::vector<double> peaks, growths;
    for (int i = 0; i < repeats; ++i) {
        const long one = Run(command(1)), ten = Run(command(10)), many = Run(command(1010));
        if (one < 0 || ten < 0 || many < 0)
            return {0, 0};
        peaks.push_back(one / 1024.0);
        growths.push_back((many - ten) / 1024.0);
    }
    return {Median(peaks), Median(growths)};
}

} // namespace

int main(int argc, char **argv)
{
    PrepareEnvironment();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_binDir = QCoreApplication::applicationDirPath();
    g_home = std::make_unique<Home>(10000);
    QFile script(g_home->Path() + QStringLiteral("/confirm.script"));
    if (!script.open(QIODevice::WriteOnly) || script.write("click blsConfirm\n") < 0)
        return 1;
    script.close();

    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintFigure("open and close, whole process", reporter.Time("BM_Process_Kpfhost"),
                reporter.Time("BM_Process_BareDialog"), "ms", "ratio <= 1.5");
    PrintFigure("one call as a whole process, wall (painted bare dialog)",
                reporter.Time("BM_Process_Kpfhost"), reporter.Time("BM_Process_PaintedBare"), "ms",
                "ratio <= 1.2");
    PrintFigure("one call as a whole process, CPU (painted bare dialog)",
                1e3 * reporter.Counter("BM_Process_Kpfhost", "child_cpu"),
                1e3 * reporter.Counter("BM_Process_PaintedBare", "child_cpu"), "ms",
                "ratio <= 1.15");

    const int repeats = qEnvironmentVariableIntValue("KPF_BENCH_MEMORY_REPEATS") > 0
                            ? qEnvironmentVariableIntValue("KPF_BENCH_MEMORY_REPEATS")
                            : 3;
    std::fprintf(stderr, "memory: %d runs each of 1, 10 and 1,010 calls...\n", repeats);
    const auto [hostPeak, hostGrowth] = Memory(KpfhostCommand, repeats);
    const auto [barePeak, bareGrowth] = Memory(BareCommand, repeats);
    const auto [paintedPeak, paintedGrowth] = Memory(PaintedBareCommand, repeats);
    PrintFigure("peak RSS, one session", hostPeak, barePeak, "MiB", "ratio <= 1.3");
    PrintFigure("peak RSS, one session (painted bare dialog)", hostPeak, paintedPeak, "MiB",
                "ratio <= 1.1");
    PrintFigure("RSS growth, 1,000 calls", hostGrowth, bareGrowth, "MiB", "module <= baseline");
    PrintFigure("RSS growth, 1,000 calls (painted bare dialog)", hostGrowth, paintedGrowth, "MiB",
                "module <= baseline");
    return 0;
}
