#include "Consiste.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{

struct Trunc2Case {
    const char *name;
    double value;
    double expected;
};

TEST(Trunc2, CutsTheFifteenDigitDecimalForm)
{
    const Trunc2Case cases[] = {
        {"cut, not rounded", 20.9865, 20.98},
        {"binary 0.28999... stays 0.29", 0.29, 0.29},
        {"10*1.1/100 is 0.11", 10 * 1.1 / 100, 0.11},
        {"negative cut toward zero", -1.239, -1.23},
        {"integer", 180, 180},
        {"1.005 loses its third decimal", 1.005, 1.0},
        {"2.675 (binary 2.67499...)", 2.675, 2.67},
        {"0.1+0.2 is 0.3", 0.1 + 0.2, 0.3},
        {"7.000000000000001 is 7", 0.07 * 100, 7.0},
        {"one decimal kept", 12.3, 12.3},
        {"negative two decimals kept", -0.29, -0.29},
        {"below a cent", 0.009999, 0.0},
        {"negative below a cent", -0.004, 0.0},
        {"tiny", 1e-20, 0.0},
        {"just under 100", 99.999999, 99.99},
        {"large with decimals", 123456789012.345, 123456789012.34},
        {"fifteen digits, no room for cents", 123456789012345.6, 123456789012346.0},
    };
    for (const Trunc2Case &c : cases)
        EXPECT_EQ(Consiste::Trunc2(c.value), c.expected) << c.name;
}

TEST(Trunc2, LeavesValuesWithoutDecimalsAlone)
{
    const double inf = std::numeric_limits<double>::infinity();
    const Trunc2Case cases[] = {
        {"1e15", 1e15, 1e15},
        {"1e15 + 0.5 (representable)", 1e15 + 0.5, 1e15 + 0.5},
        {"-2e15 - 0.25", -2e15 - 0.25, -2e15 - 0.25},
        {"huge", 1.5e300, 1.5e300},
        {"+inf", inf, inf},
        {"-inf", -inf, -inf},
    };
    for (const Trunc2Case &c : cases)
        EXPECT_EQ(Consiste::Trunc2(c.value), c.expected) << c.name;
    EXPECT_TRUE(std::isnan(Consiste::Trunc2(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Trunc2, EveryCentComesBackExactly)
{
    int failures = 0;
    for (int cents = 0; cents <= 9999 && failures < 10; ++cents) {
        const double value = cents / 100.0; // the double nearest to the decimal
        if (Consiste::Trunc2(value) != value || Consiste::Trunc2(-value) != -value) {
            ++failures;
            ADD_FAILURE() << "cents " << cents;
        }
    }
}

// Rate r% of base b, as the screen computes it: every rate from 0.00 to 99.99 against typical
// bases. The exact product has at most 6 decimals, so the expected value is the exact decimal
// cut to whole cents; binary noise in the computation must never cost (or add) a cent.
TEST(Trunc2, RateTimesBaseSweepCutsTheExactDecimal)
{
    const std::int64_t baseCents[] = {1,      100,    1000,   10000,   12345,
                                      100000, 250050, 999999, 9999999, 1234567};
    int failures = 0;
    for (const std::int64_t base : baseCents) {
        for (std::int64_t rate = 0; rate <= 9999 && failures < 10; ++rate) {
            const double rateValue = rate / 100.0;
            const double baseValue = base / 100.0;
            const std::int64_t expectedCents = rate * base / 10000;
            const double expected = expectedCents / 100.0;
            const double extended =
                static_cast<double>(static_cast<long double>(rateValue) * baseValue / 100);
            const double plain = rateValue * baseValue / 100;
            if (Consiste::Trunc2(extended) != expected || Consiste::Trunc2(plain) != expected) {
                ++failures;
                ADD_FAILURE() << "rate " << rateValue << "% of " << baseValue << ": got "
                              << Consiste::Trunc2(extended) << " / " << Consiste::Trunc2(plain)
                              << ", want " << expected;
            }
        }
    }
}

TEST(Ajusta, PadsShortCodesOnTheLeft)
{
    struct Case {
        const char *code;
        int width;
        const char *expected;
    };
    const Case cases[] = {
        {"1", 2, "01"},  {"12", 2, "12"}, {"123", 2, "123"}, {"", 2, ""},
        {"7", 3, "007"}, {"A", 2, "0A"},  {"5", 1, "5"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Consiste::Ajusta(QString::fromUtf8(c.code), c.width),
                  QString::fromUtf8(c.expected))
            << c.code << " width " << c.width;
}

TEST(EmptyString, TrueOnlyForNothingOrBlanks)
{
    struct Case {
        const char *text;
        bool expected;
    };
    const Case cases[] = {
        {"", true},   {" ", true},    {"   ", true}, {" \t ", true},
        {"0", false}, {" a ", false}, {",", false},  {"  1", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Consiste::EmptyString(QString::fromUtf8(c.text)), c.expected)
            << "\"" << c.text << "\"";
}

} // namespace
