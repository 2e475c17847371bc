// kpfhost's script reader: any bytes give commands or one error with a line number inside the
// script; never a crash, a hang or an unbounded allocation.
#include "ScriptReader.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray script(reinterpret_cast<const char *>(data), qsizetype(size));
    const ScriptReader::Result result = ScriptReader::parse(script);
    const qsizetype lines = script.count('\n') + 1;
    if (!result.ok() && (result.errorLine < 0 || result.errorLine > lines)) {
        std::fprintf(stderr, "error line %d outside the %lld lines\n", result.errorLine,
                     static_cast<long long>(lines));
        std::abort();
    }
    if (result.ok() && !result.error.isEmpty())
        std::abort();
    for (const ScriptCommand &command : result.commands) {
        if (command.line < 1 || command.line > lines || command.milliseconds < 0 ||
            command.milliseconds > ScriptReader::MaxWaitMilliseconds || command.row < 0 ||
            command.row > ScriptReader::MaxRow) {
            std::fprintf(stderr, "command out of its bounds at line %d\n", command.line);
            std::abort();
        }
    }
    return 0;
}
