#include "DateTime.h"
#include "Exceptions.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

struct FloatCase {
    const char *name;
    QString text;
    double expected;
};

TEST(StrToFloat, AcceptsDigitsWithOneCommaAndASign)
{
    const FloatCase cases[] = {
        {"integer", QStringLiteral("18"), 18.0},
        {"decimal", QStringLiteral("1,5"), 1.5},
        {"exact decimal", QStringLiteral("0,29"), 0.29},
        {"leading zeros", QStringLiteral("0005"), 5.0},
        {"lone comma", QStringLiteral(","), 0.0},
        {"comma first", QStringLiteral(",5"), 0.5},
        {"comma last", QStringLiteral("12,"), 12.0},
        {"negative", QStringLiteral("-2,25"), -2.25},
        {"plus sign", QStringLiteral("+7"), 7.0},
        {"negative lone comma", QStringLiteral("-,"), 0.0},
        {"many digits", QStringLiteral("123456789012,345"), 123456789012.345},
        {"largest ordinary", QStringLiteral("99,9"), 99.9},
        {"tiny underflows to zero",
         QStringLiteral("0,") + QString(400, QLatin1Char('0')) + QStringLiteral("1"), 0.0},
        {"exponent as FloatToStr writes it", QStringLiteral("5,55111512312578E-17"),
         5.55111512312578e-17},
        {"large exponent", QStringLiteral("1E15"), 1e15},
        {"lower-case exponent with its sign", QStringLiteral("-1,5e+3"), -1500.0},
        {"exponent underflows to zero", QStringLiteral("1E-400"), 0.0},
        {"huge exponent of a zero", QStringLiteral("0E99999999999"), 0.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StrToFloat(c.text), c.expected);
    }
}

TEST(StrToFloat, NegativeZeroComesBackAsPlainZero)
{
    EXPECT_FALSE(std::signbit(StrToFloat(QStringLiteral("-0"))));
    EXPECT_FALSE(std::signbit(StrToFloat(QStringLiteral("-,"))));
}

TEST(StrToFloat, RefusesEverythingElseWithAPortugueseText)
{
    const std::pair<const char *, QString> cases[] = {
        {"empty", QString()},
        {"full stop", QStringLiteral("1.5")},
        {"two commas", QStringLiteral("1,2,3")},
        {"sign only", QStringLiteral("-")},
        {"inner blank", QStringLiteral("1 5")},
        {"leading blank", QStringLiteral(" 5")},
        {"trailing blank", QStringLiteral("5 ")},
        {"exponent without digits", QStringLiteral("1E")},
        {"exponent with a sign only", QStringLiteral("1E-")},
        {"exponent without a mantissa", QStringLiteral("E5")},
        {"exponent after a lone comma", QStringLiteral(",E5")},
        {"blank in the exponent", QStringLiteral("1E 5")},
        {"comma in the exponent", QStringLiteral("1E5,5")},
        {"overflow by the exponent", QStringLiteral("0,1E310")},
        {"overflow by a huge exponent", QStringLiteral("1E99999999999")},
        {"letters", QStringLiteral("abc")},
        {"two signs", QStringLiteral("--5")},
        {"sign inside", QStringLiteral("5-")},
        {"infinity word", QStringLiteral("inf")},
        {"arabic-indic digit", QString(QChar(0x0663))},
        {"overflow of 000", QStringLiteral("1") + QString(400, QLatin1Char('0'))},
        {"overflow with decimals",
         QStringLiteral("9") + QString(320, QLatin1Char('9')) + QStringLiteral(",5")},
    };
    for (const auto &[name, text] : cases) {
        SCOPED_TRACE(name);
        try {
            const double value = StrToFloat(text);
            ADD_FAILURE() << "accepted as " << value;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' não é um valor numérico válido").arg(text));
        }
    }
}

TEST(StrToFloat, UsesTheGivenSettingsNotTheProcessLocale)
{
    TFormatSettings dot;
    dot.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(StrToFloat(QStringLiteral("1.5"), dot), 1.5);
    EXPECT_THROW(StrToFloat(QStringLiteral("1,5"), dot), EConvertError);
}

TEST(StrToInt, AcceptsDecimalIntegersOnly)
{
    EXPECT_EQ(StrToInt(QStringLiteral("14")), 14);
    EXPECT_EQ(StrToInt(QStringLiteral("-3")), -3);
    EXPECT_EQ(StrToInt(QStringLiteral("00")), 0);
    EXPECT_EQ(StrToInt(QStringLiteral("2147483647")), 2147483647);
    const QString bad[] = {QString(),
                           QStringLiteral("1A"),
                           QStringLiteral("1,5"),
                           QStringLiteral(" 1"),
                           QStringLiteral("+"),
                           QStringLiteral("0x10"),
                           QStringLiteral("2147483648")};
    for (const QString &text : bad) {
        SCOPED_TRACE(text.toStdString());
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' não é um valor inteiro válido").arg(text));
        }
    }
}

TEST(FloatToStr, FifteenSignificantDigitsWithTheComma)
{
    const std::pair<double, QString> cases[] = {
        {1.5, QStringLiteral("1,5")},
        {180, QStringLiteral("180")},
        {0.1 + 0.2, QStringLiteral("0,3")},
        {0.29, QStringLiteral("0,29")},
        {20.98, QStringLiteral("20,98")},
        {-7.25, QStringLiteral("-7,25")},
        {0, QStringLiteral("0")},
        {-0.0, QStringLiteral("0")},
        {100000, QStringLiteral("100000")},
        {0.00001, QStringLiteral("0,00001")},
        {123456789012345.0, QStringLiteral("123456789012345")},
        {1e15, QStringLiteral("1E15")},
        {1.5e20, QStringLiteral("1,5E20")},
        {1.5e-7, QStringLiteral("1,5E-7")},
        {2.0 / 3.0, QStringLiteral("0,666666666666667")},
    };
    for (const auto &[value, text] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(FloatToStr(value), text);
    }
}

TEST(DateTimeToStr, ShowsTheTimeOnlyWhenNotMidnight)
{
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 7)), QStringLiteral("07/12/2026"));
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 12, 7, 10, 30, 5)),
              QStringLiteral("07/12/2026 10:30:05"));
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 1, 2, 0, 0, 1)),
              QStringLiteral("02/01/2026 00:00:01"));
    EXPECT_EQ(DateToStr(EncodeDateTime(2026, 12, 7, 23, 59, 59)), QStringLiteral("07/12/2026"));
}

TEST(TDateTimeConversion, CountsDaysFromTheEpochWithTheTimeAsFraction)
{
    EXPECT_EQ(DateToDateTime(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(DateToDateTime(QDate(1900, 1, 1)), 2.0);
    EXPECT_EQ(EncodeDateTime(2000, 1, 1, 12), 36526.5);
    EXPECT_EQ(DateTimeToQDate(36526.5), QDate(2000, 1, 1));
    EXPECT_EQ(DateOf(36526.75), 36526.0);
    EXPECT_EQ(DateTimeToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    EXPECT_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
}

TEST(TDateTimeConversion, NoTimeZoneShiftEvenOnADaylightSavingGap)
{
    // 2018-11-04 00:00 did not exist in São Paulo (the clock jumped to 01:00).
    const TDateTime value = EncodeDateTime(2018, 11, 4);
    EXPECT_EQ(DateTimeToQDateTime(value).date(), QDate(2018, 11, 4));
    EXPECT_EQ(DateTimeToQDateTime(value).time(), QTime(0, 0));
    EXPECT_EQ(DateToStr(value), QStringLiteral("04/11/2018"));
}

TEST(TDateTimeConversion, RoundsToTheMillisecondAcrossMidnight)
{
    const TDateTime almostNextDay = 36526.0 - 1e-10;
    EXPECT_EQ(DateTimeToQDateTime(almostNextDay),
              QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC));
    // The date is the whole part, whatever the time of day rounds to.
    EXPECT_EQ(DateTimeToQDate(almostNextDay), QDate(1999, 12, 31));
    EXPECT_EQ(DateOf(almostNextDay), 36525.0);
    EXPECT_EQ(DateTimeToQDate(-1.9999999999), QDate(1899, 12, 29));
}

TEST(StrToDateTime, ReadsTheShortDateAndAnOptionalTime)
{
    EXPECT_EQ(StrToDateTime(QStringLiteral("07/12/2026")), EncodeDateTime(2026, 12, 7));
    EXPECT_EQ(StrToDateTime(QStringLiteral("7/1/26 10:30")), EncodeDateTime(2026, 1, 7, 10, 30));
    for (const QString &bad :
         {QStringLiteral("31/02/2026"), QStringLiteral("2026-12-07"), QStringLiteral("07/12"),
          QString(), QStringLiteral("07/12/2026 25:00")})
        EXPECT_THROW(StrToDateTime(bad), EConvertError) << bad.toStdString();
}

TEST(Abort, RaisesTheSilentAbort)
{
    EXPECT_THROW(Abort(), EAbort);
}

} // namespace
