// The bare dialogs as a whole program, for the process and memory figures: `bench_bare DATABASE
// [CALLS] [painted]` makes CALLS calls (default 1) as kpfhost makes its entry calls, of the
// styled bare dialog or with "painted" of the painted one, and fails when one of them was not
// confirmed with the stored lines.
#include "BareDialog.h"
#include "BenchSupport.h"
#include "PaintedBareDialog.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    BenchSupport::PrepareEnvironment();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bare DATABASE [CALLS] [painted]\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const int calls = argc > 2 ? std::atoi(argv[2]) : 1;
    const bool painted = argc > 3 && qstrcmp(argv[3], "painted") == 0;
    for (int i = 0; i < calls; ++i)
        if (!(painted ? RunPaintedBareCall(database) : RunBareCall(database)))
            return 1;
    return 0;
}
