#include "PacketValues.h"

#include <QDateTime>
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

void appendDigits(QByteArray &out, int value, int width)
{
    char digits[16];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = char('0' + value % 10);
    out.append(digits, width);
}

// Attribute text escaped as Qt's stream writer escapes it; the text is already known to be XML
// text, so only markup characters and line breaks need references.
void appendEscaped(QByteArray &out, const QString &text)
{
    const QChar *chars = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t c = chars[i].unicode();
        if (c >= 0x80) {
            qsizetype end = i + 1;
            while (end < n && chars[end].unicode() >= 0x80)
                ++end;
            out += QStringView(chars + i, end - i).toUtf8();
            i = end;
            continue;
        }
        if (c >= 0x20 && c != '<' && c != '>' && c != '&' && c != '"') {
            qsizetype end = i + 1;
            while (end < n && chars[end].unicode() >= 0x20 && chars[end].unicode() < 0x80 &&
                   chars[end] != u'<' && chars[end] != u'>' && chars[end] != u'&' &&
                   chars[end] != u'"')
                ++end;
            const qsizetype at = out.size();
            out.resize(at + (end - i));
            char *to = out.data() + at;
            for (qsizetype k = i; k < end; ++k)
                *to++ = char(chars[k].unicode());
            i = end;
            continue;
        }
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += char(c);
        }
        ++i;
    }
}

} // namespace

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

void appendValue(QByteArray &out, TFieldType type, const QVariant &value)
{
    switch (type) {
    case TFieldType::ftString:
        appendEscaped(out, value.toString());
        return;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
        const bool withTime = type == TFieldType::ftDateTime;
        const QDateTime stamp = withTime ? value.toDateTime() : QDateTime();
        const QDate date = withTime ? stamp.date() : value.toDate();
        appendDigits(out, date.year(), 4);
        appendDigits(out, date.month(), 2);
        appendDigits(out, date.day(), 2);
        if (!withTime)
            return;
        const QTime time = stamp.time();
        out += 'T';
        appendDigits(out, time.hour(), 2);
        out += ':';
        appendDigits(out, time.minute(), 2);
        out += ':';
        appendDigits(out, time.second(), 2);
        appendDigits(out, time.msec(), 3);
        return;
    }
    case TFieldType::ftFloat: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.toDouble());
        out.append(buffer, result.ptr - buffer);
        return;
    }
    case TFieldType::ftInteger:
        out += QByteArray::number(value.toInt());
        return;
    case TFieldType::ftBoolean:
        out += value.toBool() ? "TRUE" : "FALSE";
        return;
    }
}

} // namespace PacketValues
