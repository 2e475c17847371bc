// StrToInt and StrToFloat: any text either converts or raises EConvertError; a float that converts
// is finite, never a negative zero, and shows as a text that converts back to (nearly) itself.
#include "Exceptions.h"
#include "SysUtils.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

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
    // FloatToStr keeps 15 significant digits and turns to an exponent, which StrToFloat does not
    // read, where a value needs one: below 1E-4, or 1E15 and beyond once rounded (999999999999999.5
    // shows as 1E15).
    const bool ordinary = !shown.contains(QLatin1Char('E'));
    if (ordinary && !(std::fabs(back - value) <= std::fabs(value) * 1e-14)) {
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
