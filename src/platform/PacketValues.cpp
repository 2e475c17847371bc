#include "PacketValues.h"

#include <QVarLengthArray>
#include <charconv>

namespace PacketValues
{
namespace
{

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Exactly `count` ASCII digits of `text` from `pos` on.
bool readDigits(QStringView text, qsizetype pos, int count, int &value)
{
    value = 0;
    for (qsizetype i = pos; i < pos + count; ++i) {
        if (!isDigit(text[i]))
            return false;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return true;
}

} // namespace

// An optional sign and 1 to 18 ASCII digits, nothing else (no blanks).
bool parseDecimalInt(QStringView text, qint64 &value)
{
    const bool signed_ = !text.isEmpty() && (text[0] == u'+' || text[0] == u'-');
    const QStringView digits = text.mid(signed_ ? 1 : 0);
    if (digits.isEmpty() || digits.size() > 18)
        return false;
    qint64 v = 0;
    for (const QChar c : digits) {
        if (!isDigit(c))
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    value = text[0] == u'-' ? -v : v;
    return true;
}

// yyyyMMdd, optionally followed by Thh:mm:ss and three digits of milliseconds.
bool parseStamp(QStringView text, QDate &date, QTime &time, bool &hasTime)
{
    const qsizetype n = text.size();
    if (n != 8 && n != 17 && n != 20)
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if (!readDigits(text, 0, 4, year) || !readDigits(text, 4, 2, month) ||
        !readDigits(text, 6, 2, day))
        return false;
    hasTime = n > 8;
    if (hasTime &&
        (text[8] != u'T' || text[11] != u':' || text[14] != u':' || !readDigits(text, 9, 2, hour) ||
         !readDigits(text, 12, 2, minute) || !readDigits(text, 15, 2, second) ||
         (n == 20 && !readDigits(text, 17, 3, msec))))
        return false;
    date = QDate(year, month, day);
    time = QTime(hour, minute, second, msec);
    return date.isValid() && time.isValid();
}

// [+-]digits[.digits][e[+-]digits], with at least one digit before the exponent; no blanks, no
// comma, no INF or NAN.
bool parseDecimalFloat(QStringView text, double &value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool negative = n > 0 && text[0] == u'-';
    if (n > 0 && (text[0] == u'+' || text[0] == u'-'))
        ++i;
    const qsizetype start = i;
    qsizetype mantissaDigits = 0;
    for (; i < n && isDigit(text[i]); ++i)
        ++mantissaDigits;
    if (i < n && text[i] == u'.')
        for (++i; i < n && isDigit(text[i]); ++i)
            ++mantissaDigits;
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype exponentStart = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    if (i != n)
        return false;
    // Only ASCII is left, so the Latin-1 form has the same characters.
    QVarLengthArray<char, 64> plain(n - start);
    for (qsizetype k = start; k < n; ++k)
        plain[k - start] = char(text[k].unicode());
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || ptr != plain.data() + plain.size())
        return false;
    if (negative)
        value = -value;
    return true;
}

} // namespace PacketValues
