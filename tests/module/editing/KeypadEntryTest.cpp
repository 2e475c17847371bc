// What the keypad writes into the pending line: codes, rates and base values, commas and
// corrections, and where a new line starts.
#include "EditingFixture.h"

#include "Cli_Kpf05520.h"
#include "TClientDataSet.h"

#include <cmath>

namespace
{

using Case = EditingFixture::ScreenCase;

class KeypadEntry : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(KeypadEntry, LeavesTheLineAsTyped)
{
    RunCase(GetParam());
}

// The screen opens on an empty list; "0 1 E" types the registered code 01 and moves to the rate.
// clang-format off
const Case kCases[] = {
    {.name = "CodeKeepsTwoDigits", .steps = "keypad 1 2 3", .nrCampo = 1, .state = 3, .rows = 1,
     .top = "12|~|~"},
    {.name = "CodeGroupsCutToTwo", .steps = "keypad 00 000", .top = "00|~|~"},
    {.name = "CodeOneThenThreeZeros", .steps = "keypad 1 000", .top = "10|~|~"},
    {.name = "CommaRefusedInCode", .steps = "keypad 1 , 2", .top = "12|~|~"},
    {.name = "CommaOnFreshLineStartsEmptyLine", .steps = "keypad ,", .nrCampo = 1, .state = 3,
     .rows = 1,
     .top = "~|~|~"},
    {.name = "CommaOnFreshLineThenNextDropsIt", .steps = "keypad , Proximo", .state = 1, .rows = 0,
     .top = ""},
    {.name = "CodeCorrection", .steps = "keypad 1 2 Corrigir", .top = "1|~|~"},
    {.name = "CodeCorrectionToEmpty", .steps = "keypad 1 Corrigir", .state = 3, .top = "~|~|~"},
    {.name = "CorrectedEmptyCodeIsAnAssignment", .steps = "keypad Corrigir Proximo", .nrCampo = 1,
     .state = 3, .rows = 1,
     .messages = "Imposto deve ser informado."},
    {.name = "RateWithComma", .steps = "keypad 0 1 Enter 1 , 5", .nrCampo = 2, .txAliq = "1,5",
     .txValor = "",
     .top = "01|1.5|~"},
    {.name = "SecondCommaRefused", .steps = "keypad 0 1 Enter 1 , 5 ,", .txAliq = "1,5",
     .top = "01|1.5|~"},
    {.name = "LeadingZeros", .steps = "keypad 0 1 Enter 0 0 0 5", .txAliq = "0005",
     .top = "01|5|~"},
    {.name = "RateCorrection", .steps = "keypad 0 1 Enter 1 2 Corrigir", .txAliq = "1",
     .top = "01|1|~"},
    {.name = "OneCharacterCorrectsToZero", .steps = "keypad 0 1 Enter 7 Corrigir", .txAliq = "0",
     .top = "01|0|~"},
    {.name = "DigitAfterCorrectedZero", .steps = "keypad 0 1 Enter 7 Corrigir 5", .txAliq = "05",
     .top = "01|5|~"},
    {.name = "ZeroStaysZero", .steps = "keypad 0 1 Enter 1 2 Corrigir Corrigir Corrigir",
     .txAliq = "0", .top = "01|0|~"},
    {.name = "CorrectionOfEmptyRateIsAConversionError", .steps = "keypad 0 1 Enter Corrigir",
     .nrCampo = 2,
     .txAliq = "", .state = 3, .top = "01|~|~", .errors = 1},
    {.name = "LoneCommaIsZero", .steps = "keypad 0 1 Enter ,", .txAliq = ",", .top = "01|0|~"},
    {.name = "CommaThenFive", .steps = "keypad 0 1 Enter , 5", .txAliq = ",5", .top = "01|0.5|~"},
    {.name = "BaseValue", .steps = "keypad 0 1 Enter Enter 1 0 00", .nrCampo = 3, .txAliq = "",
     .txValor = "1000",
     .top = "01|~|1000"},
    {.name = "BaseCorrectionOfEmptyText", .steps = "keypad 0 1 Enter Enter Corrigir", .txValor = "",
     .top = "01|~|~",
     .errors = 1},
    {.name = "CorrectionsNeverEmptyTheBase", .steps = "keypad 0 1 Enter Enter 3 Corrigir Corrigir",
     .txValor = "0",
     .top = "01|~|0"},
    {.name = "EntryTextSurvivesLeavingTheField",
     .steps = "keypad 0 1 Enter 1 2 Enter Enter Enter 5", .nrCampo = 2,
     .txAliq = "125", .top = "01|125|~"},
    {.name = "BackToTheRate", .steps = "keypad 0 1 Enter 5 Enter 1 0 Voltar Corrigir", .nrCampo = 2,
     .txAliq = "0",
     .txValor = "10", .top = "01|0|10"},
    {.name = "DigitAfterPostingStartsNewLine", .steps = "keypad 0 1 Enter 5 Enter 1 0 Proximo 3",
     .nrCampo = 1,
     .txAliq = "", .txValor = "", .state = 3, .rows = 2, .top = "3|~|~"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeypadEntry, ::testing::ValuesIn(kCases), CaseName());

using NewLines = EditingFixture;

// The editor never types into stored lines: the first key makes a new line at the top and goes
// to its code, whatever field was current.
TEST_F(NewLines, TypingOverStoredLinesStartsTopLineOnTheCode)
{
    ExecSql(kStoredLines);
    RunEntry([&](TfrmImpost &form) {
        Play("select 1 VRALIQIMPRZ\nkeypad Enter");
        ASSERT_EQ(form.NrCampo(), 2);
        ASSERT_EQ(form.cdsImpRedZ->CurrentRow(), 1);
        const QString before = Describe(Rows(form)[1]);

        Play("keypad 1");
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
        Play("keypad 0 1 Enter 1");
        for (int i = 0; i < 120; ++i)
            Play("keypad 000");
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
        Play("keypad 0 1 Enter 5 Enter 1 0");
        Play(QStringLiteral("reactivate"));
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_EQ(form.TxAliq(), "");
        Play("keypad Enter Corrigir");
        EXPECT_EQ(form.NrCampo(), 2);
        EXPECT_EQ(form.TxAliq(), "");
        EXPECT_EQ(Describe(Rows(form)[0]), "01|5|10");
        EXPECT_EQ(errors.size(), 1);
        Play("keypad 7");
        EXPECT_EQ(form.TxAliq(), "7");
        EXPECT_EQ(Describe(Rows(form)[0]), "01|7|10");
    });
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
