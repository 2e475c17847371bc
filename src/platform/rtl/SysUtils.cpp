#include "SysUtils.h"

#include "Exceptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace
{

QString &programPathOverride()
{
    static QString path;
    return path;
}

[[noreturn]] void failFloat(const QString &text)
{
    throw EConvertError(QStringLiteral("'%1' não é um valor numérico válido").arg(text));
}

[[noreturn]] void failDate(const QString &text)
{
    throw EConvertError(QStringLiteral("'%1' não é uma data válida").arg(text));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Parses a plain C-locale decimal ("12.5", ".5", "5.") with correct rounding, whatever the
// process locale says.
bool parseCDecimal(const std::string &digits, double &value, bool &outOfRange)
{
    std::string s = digits;
    if (!s.empty() && s.front() == '.')
        s.insert(s.begin(), '0');
    if (!s.empty() && s.back() == '.')
        s.push_back('0');
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    outOfRange = ec == std::errc::result_out_of_range;
    return (ec == std::errc() || outOfRange) && ptr == s.data() + s.size();
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString formatField(QChar letter, int run, const QDate &d, const QTime &t)
{
    switch (letter.toLatin1()) {
    case 'd':
        return run >= 2 ? twoDigits(d.day()) : QString::number(d.day());
    case 'm':
        return run >= 2 ? twoDigits(d.month()) : QString::number(d.month());
    case 'y':
        return run <= 2 ? twoDigits(d.year() % 100)
                        : QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    case 'h':
        return run >= 2 ? twoDigits(t.hour()) : QString::number(t.hour());
    case 'n':
        return run >= 2 ? twoDigits(t.minute()) : QString::number(t.minute());
    case 's':
        return run >= 2 ? twoDigits(t.second()) : QString::number(t.second());
    case 'z':
        return run >= 3 ? QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0'))
                        : QString::number(t.msec());
    default:
        return QString(run, letter);
    }
}

// Splits "a<sep>b<sep>c" into numbers of 1 to 4 digits each.
bool splitNumbers(const QString &text, QChar separator, std::vector<int> &numbers)
{
    const QStringList parts = text.split(separator);
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 4)
            return false;
        for (QChar c : part)
            if (!isAsciiDigit(c))
                return false;
        numbers.push_back(part.toInt());
    }
    return true;
}

QDate parseShortDate(const QString &text, const QString &format)
{
    QString order;
    QChar separator = QLatin1Char('/');
    bool separatorFound = false;
    for (QChar c : format) {
        const QChar lower = c.toLower();
        if ((lower == QLatin1Char('d') || lower == QLatin1Char('m') || lower == QLatin1Char('y')) &&
            !order.contains(lower))
            order += lower;
        else if (!c.isLetter() && !separatorFound) {
            separator = c;
            separatorFound = true;
        }
    }
    std::vector<int> numbers;
    if (order.size() != 3 || !splitNumbers(text, separator, numbers) || numbers.size() != 3)
        return {};
    const QStringList yearPart = text.split(separator);
    int day = numbers[order.indexOf(QLatin1Char('d'))];
    int month = numbers[order.indexOf(QLatin1Char('m'))];
    int year = numbers[order.indexOf(QLatin1Char('y'))];
    if (yearPart[order.indexOf(QLatin1Char('y'))].size() <= 2)
        year += year < 50 ? 2000 : 1900;
    return QDate(year, month, day);
}

} // namespace

TFormatSettings &FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

int StrToInt(const QString &text)
{
    bool ok = !text.isEmpty();
    for (int i = 0; ok && i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign =
            i == 0 && text.size() > 1 && (c == QLatin1Char('+') || c == QLatin1Char('-'));
        ok = sign || isAsciiDigit(c);
    }
    const int value = ok ? text.toInt(&ok) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido").arg(text));
    return value;
}

namespace
{

// The decimal exponent after 'E' or 'e': an optional sign and at least one digit. Exponents far
// beyond a double's range are clamped, so that they still overflow or underflow.
int exponentOf(const QString &text, int i)
{
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i >= text.size())
        failFloat(text);
    int exponent = 0;
    for (; i < text.size(); ++i) {
        if (!isAsciiDigit(text[i]))
            failFloat(text);
        exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 100000);
    }
    return negative ? -exponent : exponent;
}

} // namespace

double StrToFloat(const QString &text, const TFormatSettings &settings)
{
    int i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'))) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    std::string plain;
    plain.reserve(size_t(text.size()));
    bool separator = false;
    int digits = 0;
    // The power of ten of the first significant digit, while reading the mantissa.
    int leading = 0;
    bool significant = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            plain.push_back(char(c.unicode()));
            ++digits;
            if (!significant && c != QLatin1Char('0'))
                significant = true;
            if (significant && !separator)
                ++leading;
            else if (!significant && separator)
                --leading;
        } else if (c == settings.DecimalSeparator && !separator) {
            plain.push_back('.');
            separator = true;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && digits > 0) {
            break;
        } else {
            failFloat(text);
        }
    }
    if (digits == 0) {
        if (separator)
            return 0.0; // a lone separator: what the operator sees when starting ",5"
        failFloat(text);
    }
    const int exponent = i < text.size() ? exponentOf(text, i + 1) : 0;
    if (exponent != 0)
        plain += 'e' + std::to_string(exponent);
    double value = 0;
    bool outOfRange = false;
    if (!parseCDecimal(plain, value, outOfRange))
        failFloat(text);
    if (outOfRange) {
        if (significant && leading + exponent > 0) // too large: never hand out an infinity
            failFloat(text);
        return 0.0; // too small to tell from zero
    }
    if (value == 0)
        return 0.0; // no negative zero
    return negative ? -value : value;
}

QString FloatToStr(double value, const TFormatSettings &settings)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    const bool negative = text[0] == '-';
    std::string digits;
    for (size_t k = negative ? 1 : 0; k < e; ++k)
        if (text[k] != '.')
            digits.push_back(text[k]);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::stoi(text.substr(e + 1));

    QString out = negative ? QStringLiteral("-") : QString();
    const QString mantissa = QString::fromLatin1(digits.data(), qsizetype(digits.size()));
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += QLatin1Char('0') + QString(settings.DecimalSeparator) +
                   QString(-exponent - 1, QLatin1Char('0')) + mantissa;
        } else {
            const int integral = exponent + 1;
            out += mantissa.left(integral).leftJustified(integral, QLatin1Char('0'));
            if (mantissa.size() > integral)
                out += settings.DecimalSeparator + mantissa.mid(integral);
        }
        return out;
    }
    out += mantissa.left(1);
    if (mantissa.size() > 1)
        out += settings.DecimalSeparator + mantissa.mid(1);
    return out + QLatin1Char('E') + QString::number(exponent);
}

QString FormatDateTime(const QString &format, TDateTime value)
{
    const QDateTime dateTime = DateTimeToQDateTime(value);
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    QString out;
    for (int i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = format.indexOf(c, i + 1);
            const int stop = end < 0 ? int(format.size()) : end;
            out += format.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const QChar letter = c.toLower();
        int run = 1;
        while (i + run < format.size() && format[i + run].toLower() == letter)
            ++run;
        out += QStringLiteral("dmyhnsz").contains(letter) ? formatField(letter, run, date, time)
                                                          : QString(run, c);
        i += run;
    }
    return out;
}

QString DateToStr(TDateTime value, const TFormatSettings &settings)
{
    return FormatDateTime(settings.ShortDateFormat, value);
}

QString DateTimeToStr(TDateTime value, const TFormatSettings &settings)
{
    const QDateTime dateTime = DateTimeToQDateTime(value);
    if (dateTime.time().msecsSinceStartOfDay() == 0)
        return DateToStr(value, settings);
    return DateToStr(value, settings) + QLatin1Char(' ') +
           FormatDateTime(settings.LongTimeFormat, value);
}

TDateTime StrToDateTime(const QString &text, const TFormatSettings &settings)
{
    const QString trimmed = text.trimmed();
    const int blank = trimmed.indexOf(QLatin1Char(' '));
    const QDate date =
        parseShortDate(blank < 0 ? trimmed : trimmed.left(blank), settings.ShortDateFormat);
    if (!date.isValid())
        failDate(text);
    QTime time(0, 0);
    if (blank >= 0) {
        std::vector<int> parts;
        if (!splitNumbers(trimmed.mid(blank + 1).trimmed(), QLatin1Char(':'), parts) ||
            parts.size() < 2 || parts.size() > 3)
            failDate(text);
        time = QTime(parts[0], parts[1], parts.size() == 3 ? parts[2] : 0);
        if (!time.isValid())
            failDate(text);
    }
    return QDateTimeToDateTime(QDateTime(date, time, Qt::UTC));
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString ExtractFileDir(const QString &path)
{
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString ExtractShortPathName(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path) ? path : QString();
}

void SetProgramPathOverride(const QString &path)
{
    programPathOverride() = path;
}

QString ParamStr(int index)
{
    if (index == 0) {
        if (!programPathOverride().isEmpty())
            return programPathOverride();
        if (QCoreApplication::instance())
            return QCoreApplication::applicationFilePath();
        return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    }
    if (index < 0)
        return QString();
    if (QCoreApplication::instance())
        return QCoreApplication::arguments().value(index);
    QFile cmdline(QStringLiteral("/proc/self/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> args = cmdline.readAll().split('\0');
    return index < args.size() ? QString::fromLocal8Bit(args[index]) : QString();
}
