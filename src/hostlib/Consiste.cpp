#include "Consiste.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace Consiste
{

namespace
{
// From here on a double has no room left for cents: its 15-digit form is an integer.
constexpr double kNoDecimalsFrom = 1e15;
constexpr int kSignificantDigits = 15;
} // namespace

bool EmptyString(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

QString Ajusta(const QString &code, int width)
{
    if (code.isEmpty() || code.size() >= width)
        return code;
    return code.rightJustified(width, QLatin1Char('0'));
}

double Trunc2(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= kNoDecimalsFrom || value == 0.0)
        return value;

    // The decimal form with 15 significant digits ("d.dddddddddddddde±x") is what the operator
    // sees; cutting that text instead of the binary value keeps 0.29 from becoming 0.28.
    std::array<char, 40> buf{};
    const auto written = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                       std::chars_format::scientific, kSignificantDigits - 1);
    const std::string form(buf.data(), written.ptr);
    const auto ePos = form.find('e');
    std::string digits = form.substr(0, 1) + form.substr(2, ePos - 2);
    const int exponent = std::stoi(form.substr(ePos + 1));

    // Digits that lie before the second decimal place: the integer digits plus two.
    const int keep = exponent + 1 + 2;
    if (keep <= 0)
        return 0.0;
    if (keep < kSignificantDigits)
        digits.resize(static_cast<size_t>(keep));

    const int scale = exponent + 1 - static_cast<int>(digits.size());
    const std::string text = digits + "e" + std::to_string(scale);
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return value < 0 ? -result : result;
}

} // namespace Consiste
