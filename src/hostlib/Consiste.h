#pragma once

#include <QString>

// Consistency helpers of the host library.
namespace Consiste
{

// True for an empty text or one of blanks only.
bool EmptyString(const QString &text);
// A shorter code padded on the left with "0" to the width; a code of the width or longer unchanged.
QString Ajusta(const QString &code, int width);
// Cut toward zero to two decimals of the value's 15-significant-digit decimal form; NaN,
// infinities and values too large to carry decimals come back unchanged.
double Trunc2(double value);

} // namespace Consiste
