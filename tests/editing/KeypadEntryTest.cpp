// What the keypad writes into the pending line: codes, rates and base values, commas and
// corrections, and where a new line starts.
#include "EditingTest.h"

#include "Cli_Kpf05520.h"
#include "TClientDataSet.h"

#include <cmath>

namespace
{

using Case = EditingTest::ScreenCase;

class KeypadEntry : public EditingTest, public ::testing::WithParamInterface<Case>
{
};

TEST_P(KeypadEntry, LeavesTheLineAsTyped)
{
    RunCase(GetParam());
}

// The screen opens on an empty list; "0 1 E" types the registered code 01 and moves to the rate.
// clang-format off
const Case kCases[] = {
    {.name = "CodeKeepsTwoDigits", .steps = "1 2 3", .nrCampo = 1, .state = 3, .rows = 1,
     .top = "12|~|~"},
    {.name = "CodeGroupsCutToTwo", .steps = "00 000", .top = "00|~|~"},
    {.name = "CodeOneThenThreeZeros", .steps = "1 000", .top = "10|~|~"},
    {.name = "CommaRefusedInCode", .steps = "1 , 2", .top = "12|~|~"},
    {.name = "CommaOnFreshLineStartsEmptyLine", .steps = ",", .nrCampo = 1, .state = 3, .rows = 1,
     .top = "~|~|~"},
    {.name = "CommaOnFreshLineThenNextDropsIt", .steps = ", P", .state = 1, .rows = 0, .top = ""},
    {.name = "CodeCorrection", .steps = "1 2 C", .top = "1|~|~"},
    {.name = "CodeCorrectionToEmpty", .steps = "1 C", .state = 3, .top = "~|~|~"},
    {.name = "CorrectedEmptyCodeIsAnAssignment", .steps = "C P", .nrCampo = 1, .state = 3, .rows = 1,
     .messages = "Imposto deve ser informado."},
    {.name = "RateWithComma", .steps = "0 1 E 1 , 5", .nrCampo = 2, .txAliq = "1,5", .txValor = "",
     .top = "01|1.5|~"},
    {.name = "SecondCommaRefused", .steps = "0 1 E 1 , 5 ,", .txAliq = "1,5", .top = "01|1.5|~"},
    {.name = "LeadingZeros", .steps = "0 1 E 0 0 0 5", .txAliq = "0005", .top = "01|5|~"},
    {.name = "RateCorrection", .steps = "0 1 E 1 2 C", .txAliq = "1", .top = "01|1|~"},
    {.name = "OneCharacterCorrectsToZero", .steps = "0 1 E 7 C", .txAliq = "0", .top = "01|0|~"},
    {.name = "DigitAfterCorrectedZero", .steps = "0 1 E 7 C 5", .txAliq = "05", .top = "01|5|~"},
    {.name = "ZeroStaysZero", .steps = "0 1 E 1 2 C C C", .txAliq = "0", .top = "01|0|~"},
    {.name = "CorrectionOfEmptyRateIsAConversionError", .steps = "0 1 E C", .nrCampo = 2,
     .txAliq = "", .state = 3, .top = "01|~|~", .errors = 1},
    {.name = "LoneCommaIsZero", .steps = "0 1 E ,", .txAliq = ",", .top = "01|0|~"},
    {.name = "CommaThenFive", .steps = "0 1 E , 5", .txAliq = ",5", .top = "01|0.5|~"},
    {.name = "BaseValue", .steps = "0 1 E E 1 0 00", .nrCampo = 3, .txAliq = "", .txValor = "1000",
     .top = "01|~|1000"},
    {.name = "BaseCorrectionOfEmptyText", .steps = "0 1 E E C", .txValor = "", .top = "01|~|~",
     .errors = 1},
    {.name = "CorrectionsNeverEmptyTheBase", .steps = "0 1 E E 3 C C", .txValor = "0",
     .top = "01|~|0"},
    {.name = "EntryTextSurvivesLeavingTheField", .steps = "0 1 E 1 2 E E E 5", .nrCampo = 2,
     .txAliq = "125", .top = "01|125|~"},
    {.name = "BackToTheRate", .steps = "0 1 E 5 E 1 0 V C", .nrCampo = 2, .txAliq = "0",
     .txValor = "10", .top = "01|0|10"},
    {.name = "DigitAfterPostingStartsNewLine", .steps = "0 1 E 5 E 1 0 P 3", .nrCampo = 1,
     .txAliq = "", .txValor = "", .state = 3, .rows = 2, .top = "3|~|~"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeypadEntry, ::testing::ValuesIn(kCases), CaseName());

using NewLines = EditingTest;

// The editor never types into stored lines: the first key makes a new line at the top and goes
// to its code, whatever field was current.
TEST_F(NewLines, TypingOverStoredLinesStartsTopLineOnTheCode)
{
    ExecSql(kStoredLines);
    RunEntry([&](TfrmImpost &form) {
        Play(form, "t:1:VRALIQIMPRZ E");
        ASSERT_EQ(form.NrCampo(), 2);
        ASSERT_EQ(form.cdsImpRedZ->CurrentRow(), 1);
        const QString before = Describe(Rows(form)[1]);

        Play(form, "1");
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_EQ(State(form), 3);
        EXPECT_EQ(form.cdsImpRedZ->CurrentRow(), 0);
        const QList<QVariantMap> rows = Rows(form);
        ASSERT_EQ(rows.size(), 3);
        EXPECT_EQ(Describe(rows[0]), "1|~|~");
        EXPECT_EQ(Describe(rows[2]), before);
    });
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

// An operator leaning on "000" makes a text no double holds: each further key is refused by
// the conversion, the text keeps growing, and the rate keeps the last number that fitted.
TEST_F(NewLines, OverlongEntryTextIsRefusedNeverInfinite)
{
    RunEntry([&](TfrmImpost &form) {
        Play(form, "0 1 E 1");
        for (int i = 0; i < 120; ++i)
            Play(form, "000");
        EXPECT_EQ(form.TxAliq().size(), 361);
        const double rate = Rows(form)[0].value(QStringLiteral("VRALIQIMPRZ")).toDouble();
        EXPECT_TRUE(std::isfinite(rate));
        EXPECT_EQ(rate, 1e306);
    });
    // 1 followed by 309 zeros is the first text that overflows; every key from there is refused.
    EXPECT_EQ(errors.size(), 120 - 102);
    EXPECT_TRUE(messages.isEmpty());
}

// Activation clears the entry texts but not the fields: a correction then converts the empty
// text, which is refused, and the rate keeps its number until the next digit.
TEST_F(NewLines, RefusedConversionKeepsTheFieldsValue)
{
    RunEntry([&](TfrmImpost &form) {
        Play(form, "0 1 E 5 E 1 0");
        Reactivate(form);
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_EQ(form.TxAliq(), "");
        Play(form, "E C");
        EXPECT_EQ(form.NrCampo(), 2);
        EXPECT_EQ(form.TxAliq(), "");
        EXPECT_EQ(Describe(Rows(form)[0]), "01|5|10");
        EXPECT_EQ(errors.size(), 1);
        Play(form, "7");
        EXPECT_EQ(form.TxAliq(), "7");
        EXPECT_EQ(Describe(Rows(form)[0]), "01|7|10");
    });
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
