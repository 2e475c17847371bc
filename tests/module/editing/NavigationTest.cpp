// Moving between fields and lines: Enter and Voltar with the lenient code check, the line
// buttons, and the grid's selected column.
#include "EditingFixture.h"

#include "Cli_Kpf05520.h"
#include "TClientDataSet.h"

namespace
{

using Case = EditingFixture::ScreenCase;

class FieldNavigation : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(FieldNavigation, MovesAsTheOperatorExpects)
{
    RunCase(GetParam());
}

// clang-format off
const Case kFieldCases[] = {
    {.name = "EnterCyclesWithoutCode", .steps = "keypad + Enter Enter Enter", .trace = "1 2 3 1"},
    {.name = "VoltarCyclesWithoutCode", .steps = "keypad + Voltar Voltar Voltar",
     .trace = "1 3 2 1"},
    {.name = "EnterCyclesWithCode", .steps = "keypad 0 1 Enter Enter Enter", .trace = "1 1 2 3 1",
     .state = 3,
     .top = "01|~|~"},
    {.name = "VoltarCyclesWithCode", .steps = "keypad 0 1 Voltar Voltar Voltar",
     .trace = "1 1 3 2 1"},
    {.name = "EnterAdjustsTheCode", .steps = "keypad 1 Enter", .trace = "1 2", .top = "01|~|~"},
    {.name = "EnterOnUnregisteredCodeStays", .steps = "keypad 9 Enter", .trace = "1 1", .state = 3,
     .top = "09|~|~", .messages = "Imposto não cadastrado."},
    {.name = "VoltarOnUnregisteredCodeStays", .steps = "keypad 9 Voltar", .trace = "1 1",
     .messages = "Imposto não cadastrado."},
    {.name = "RateAndBaseAreNotCheckedOnTheWay", .steps = "keypad 0 1 Enter 1 0 0 0 Enter Enter",
     .trace = "1 1 2 2 2 2 2 3 1", .txAliq = "1000", .top = "01|1000|~"},
    // The check looks at the grid's selected column: a touch on the rate column lets an
    // unregistered code through, a touch back on the code column checks it from the rate field.
    {.name = "TouchedRateColumnSkipsTheCheck",
     .steps = "keypad 9\nselect 0 VRALIQIMPRZ\nkeypad Enter", .trace = "1 1 2",
     .state = 3},
    {.name = "TouchedCodeColumnChecksFromAnyField",
     .steps = "keypad 9\nselect 0 VRALIQIMPRZ\nkeypad Enter\nselect 0 CDIMPOSTO\nkeypad Enter",
     .trace = "1 1 2 2 1", .state = 3, .messages = "Imposto não cadastrado."},
    // Over a stored line the check writes the adjusted code into a line that is not being
    // edited; the data layer refuses and the operator stays on the code.
    {.name = "EnterOverStoredLineIsRefused", .stored = true, .steps = "keypad Enter", .trace = "1",
     .state = 1,
     .rows = 2, .errors = 1},
    {.name = "EnterOverStoredLineFromRateColumn", .stored = true,
     .steps = "select 0 VRALIQIMPRZ\nkeypad Enter",
     .trace = "1 2", .state = 1, .rows = 2},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, FieldNavigation, ::testing::ValuesIn(kFieldCases), CaseName());

class LineButtons : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(LineButtons, AddRemoveAndMove)
{
    RunCase(GetParam());
}

// clang-format off
const Case kLineCases[] = {
    {.name = "PlusOnRateWithoutCode", .steps = "keypad + Enter 5 +", .nrCampo = 1, .txAliq = "5",
     .state = 3,
     .rows = 1, .top = "~|5|~", .messages = "Imposto deve ser informado."},
    {.name = "PlusTwiceLeavesOneNewLine", .steps = "keypad + +", .nrCampo = 1, .state = 3,
     .rows = 1,
     .top = "~|~|~"},
    {.name = "PlusTwiceOverStoredLines", .stored = true, .steps = "keypad + +", .state = 3,
     .rows = 3},
    {.name = "PlusPostsCompleteLine", .steps = "keypad 0 1 Enter 5 Enter 1 0 +", .nrCampo = 1,
     .txAliq = "",
     .txValor = "", .state = 3, .rows = 2, .top = "~|~|~"},
    {.name = "PlusWithRefusedRateMakesNoLine", .steps = "keypad 0 1 Enter 1 0 0 Enter 1 +",
     .nrCampo = 2,
     .txAliq = "100", .txValor = "1", .state = 3, .rows = 1, .top = "01|100|1",
     .messages = "Valor da alíquota deve ser menor que 100."},
    {.name = "MinusDropsPendingLine", .steps = "keypad 1 -", .state = 1, .rows = 0},
    {.name = "MinusDropsPendingLineOnly", .stored = true, .steps = "keypad 1 -", .state = 1,
     .rows = 2},
    {.name = "MinusRemovesStoredLine", .stored = true, .steps = "keypad -", .state = 1, .rows = 1},
    {.name = "MinusOnEmptyList", .steps = "keypad -", .state = 1, .rows = 0, .errors = 1},
    {.name = "PriorAtTopDoesNothing", .stored = true, .steps = "keypad Anterior Anterior",
     .state = 1, .rows = 2},
    {.name = "NextAtBottomDoesNothing", .stored = true, .steps = "keypad Proximo Proximo Proximo",
     .state = 1, .rows = 2},
    {.name = "NextPostsTheLine", .steps = "keypad 0 1 Enter 5 Enter 1 0 Proximo", .nrCampo = 3,
     .txAliq = "5",
     .txValor = "10", .state = 1, .rows = 1, .top = "01|5|10"},
    {.name = "PriorPostsTheLine", .stored = true, .steps = "keypad 0 1 Enter 5 Enter 1 0 Anterior",
     .state = 1,
     .rows = 3},
    {.name = "NextWithMissingBaseKeepsTheLine", .stored = true,
     .steps = "keypad 0 1 Enter 5 Proximo", .nrCampo = 3,
     .txAliq = "5", .state = 3, .rows = 3, .top = "01|5|~", .messages = "Valor não informado."},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, LineButtons, ::testing::ValuesIn(kLineCases), CaseName());

using LineCursor = EditingFixture;

// "-" leaves the first line current; sbtAnt and sbtProx walk the list.
TEST_F(LineCursor, MinusAndArrowsMoveTheCursor)
{
    ExecSql(kStoredLines);
    ExecSql("INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '04', 25, "
            "80, 20)");
    RunEntry([&](TfrmImpost &form) {
        Play("keypad Proximo Proximo");
        EXPECT_EQ(form.cdsImpRedZ->CurrentRow(), 2);
        Play("keypad Anterior");
        EXPECT_EQ(form.cdsImpRedZ->CurrentRow(), 1);
        const QString removed = Describe(Rows(form)[1]);
        Play("keypad -");
        EXPECT_EQ(form.cdsImpRedZ->CurrentRow(), 0);
        ASSERT_EQ(Rows(form).size(), 2);
        for (const QVariantMap &row : Rows(form))
            EXPECT_NE(Describe(row), removed);
    });
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

} // namespace
