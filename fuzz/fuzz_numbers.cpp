// StrToInt and StrToFloat: any text either converts or raises EConvertError; a float that converts
// is finite, never a negative zero, and shows as a text that converts back to (nearly) itself,
// exponent included.
#include "Exceptions.h"
#include "SysUtils.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kLargestShownInRange = 1.79769313486231e308;

void CheckFloat(const QString &text)
{
    double value = 0;
    try {
        value = StrToFloat(text);
    } catch (const EConvertError &) {
        return;
    }
    if (!std::isfinite(value) || (value == 0 && std::signbit(value))) {
        std::fprintf(stderr, "StrToFloat(%s) = %g\n", qPrintable(text), value);
        std::abort();
    }
    const QString shown = FloatToStr(value);
    double back = 0;
    try {
        back = StrToFloat(shown);
    } catch (const EConvertError &) {
        back = NAN; // judged below
    }
    // FloatToStr keeps 15 significant digits, so the few values next to the largest double show
    // as a text beyond it (1,79769313486232E308), which overflows; every other value reads back.
    const bool showable = std::fabs(value) <= kLargestShownInRange;
    if (showable && !(std::fabs(back - value) <= std::fabs(value) * 1e-14)) {
        std::fprintf(stderr, "StrToFloat(%s) = %.17g shows as %s, reads back as %.17g\n",
                     qPrintable(text), value, qPrintable(shown), back);
        std::abort();
    }
}

void CheckInt(const QString &text)
{
    int value = 0;
    try {
        value = StrToInt(text);
    } catch (const EConvertError &) {
        return;
    }
    if (StrToInt(QString::number(value)) != value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckFloat(text);
    CheckInt(text);
    return 0;
}
