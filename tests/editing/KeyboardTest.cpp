// The physical keyboard: characters through the screen's key preview, and the two key-down
// filters. Keys must do exactly what their buttons do, and Qt must add nothing of its own.
#include "EditingTest.h"

#include "Cli_Kpf05520.h"

#include <QApplication>

namespace
{

using Case = EditingTest::ScreenCase;

class KeyboardSession : public EditingTest
{
protected:
    // What the operator can see after the steps: fields, texts, lines, messages and errors.
    QString Session(const QString &steps)
    {
        messages.clear();
        errors.clear();
        QString seen;
        RunEntry([&](TfrmImpost &form) {
            Play(form, steps);
            QStringList lines;
            for (const QVariantMap &row : Rows(form))
                lines << Describe(row);
            seen = QStringLiteral("nrCampo=%1 txAliq=%2 txValor=%3 state=%4 visible=%5 rows=%6")
                       .arg(form.NrCampo())
                       .arg(form.TxAliq(), form.TxValor())
                       .arg(State(form))
                       .arg(form.isVisible())
                       .arg(lines.join(','));
            EXPECT_TRUE(form.VrRetorno().isUnassigned());
        });
        return seen + QStringLiteral(" messages=") + messages.join('|') +
               QStringLiteral(" errors=") + QString::number(errors.size());
    }
};

struct KeyCase {
    const char *name;
    const char *keys;
    const char *buttons;
};

class KeysLikeButtons : public KeyboardSession, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(KeysLikeButtons, SameOutcome)
{
    const QString byButtons = Session(QString::fromUtf8(GetParam().buttons));
    const QString byKeys = Session(QString::fromUtf8(GetParam().keys));
    EXPECT_EQ(byKeys, byButtons);
}

// clang-format off
const KeyCase kKeyCases[] = {
    {"Digits", "k:1 k:2 k:3", "1 2 3"},
    {"EnterKey", "k:0 k:1 k:Enter k:4", "0 1 E 4"},
    {"EnterKeyOnUnregisteredCode", "k:9 k:Enter", "9 E"},
    {"EscapeKey", "k:0 k:1 k:Escape k:Escape", "0 1 V V"},
    {"EscapeCyclesBack", "k:0 k:1 k:Escape k:Escape k:Escape", "0 1 V V V"},
    {"BackspaceKey", "k:0 k:1 k:Enter k:1 k:2 k:Backspace", "0 1 E 1 2 C"},
    {"BackspaceOnFreshScreen", "k:Backspace", "C"},
    {"BackspaceOnEmptyRate", "k:0 k:1 k:Enter k:Backspace", "0 1 E C"},
    {"CommaKey", "k:0 k:1 k:Enter k:, k:5 k:,", "0 1 E , 5 ,"},
    {"FullStopDoesNothing", "k:0 k:1 k:Enter k:1 k:. k:5", "0 1 E 1 5"},
    {"FullStopOnFreshScreen", "k:.", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeysLikeButtons, ::testing::ValuesIn(kKeyCases), CaseName());

class KeyboardEffects : public EditingTest, public ::testing::WithParamInterface<Case>
{
};

TEST_P(KeyboardEffects, AsDescribed)
{
    RunCase(GetParam());
}

// clang-format off
const Case kEffectCases[] = {
    // Escape must not close the dialog, nor Enter press a default button.
    {.name = "EscapeKeepsTheScreen", .steps = "k:Escape k:Escape", .closed = 0},
    {.name = "EnterKeepsTheScreen", .stored = true, .steps = "t:0:VRALIQIMPRZ k:Enter k:Enter",
     .closed = 0},
    {.name = "AltF4KeepsTheScreen", .steps = "0 1 k:Alt+F4", .state = 3, .closed = 0},
    {.name = "CtrlDeleteRemovesNothing", .stored = true, .steps = "k:Ctrl+Delete", .rows = 2},
    {.name = "CtrlShiftDeleteRemovesNothing", .stored = true, .steps = "k:Ctrl+Shift+Delete",
     .rows = 2},
    // A digit typed with the cursor on a stored line goes to a new line; a keyboard search of the
    // grid would move the cursor and try to post it.
    {.name = "DigitsDoNotSearchTheGrid", .stored = true, .steps = "t:1:CDIMPOSTO k:0 k:3",
     .nrCampo = 1, .state = 3, .rows = 3, .top = "03|~|~"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeyboardEffects, ::testing::ValuesIn(kEffectCases), CaseName());

using KeyFocus = EditingTest;

// The keypad never takes the focus from the grid, so keys keep reaching the screen.
TEST_F(KeyFocus, ButtonsLeaveTheFocusOnTheGrid)
{
    RunEntry([&](TfrmImpost &form) {
        Play(form, "0 1 E 5 , C V + -");
        const QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->objectName(), "dbgImpRedZ");
        Play(form, "k:7");
        EXPECT_EQ(Describe(Rows(form)[0]), "7|~|~");
    });
}

struct FilterCase {
    const char *name;
    bool grid; // dbgImpRedZKeyDown, else FormKeyDown
    Word key;
    TShiftState shift;
    Word expected;
};

class KeyDownFilters : public EditingTest, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(KeyDownFilters, DiscardOnlyTheirCombination)
{
    const FilterCase &c = GetParam();
    RunEntry([&](TfrmImpost &form) {
        Word key = c.key;
        if (c.grid)
            form.dbgImpRedZKeyDown(&form, key, c.shift);
        else
            form.FormKeyDown(&form, key, c.shift);
        EXPECT_EQ(key, c.expected);
    });
}

// clang-format off
const FilterCase kFilterCases[] = {
    {"AltF4", false, VK_F4, ssAlt, 0},
    {"F4", false, VK_F4, 0, VK_F4},
    {"AltShiftF4", false, VK_F4, ssAlt | ssShift, VK_F4},
    {"CtrlAltF4", false, VK_F4, ssAlt | ssCtrl, VK_F4},
    {"AltDeleteOnForm", false, VK_DELETE, ssAlt, VK_DELETE},
    {"CtrlDelete", true, VK_DELETE, ssCtrl, 0},
    {"Delete", true, VK_DELETE, 0, VK_DELETE},
    {"ShiftDelete", true, VK_DELETE, ssShift, VK_DELETE},
    {"CtrlShiftDelete", true, VK_DELETE, ssCtrl | ssShift, VK_DELETE},
    {"CtrlAltDelete", true, VK_DELETE, ssCtrl | ssAlt, VK_DELETE},
    {"AltF4OnGrid", true, VK_F4, ssAlt, VK_F4},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeyDownFilters, ::testing::ValuesIn(kFilterCases), CaseName());

// The key-press handler sees the character but never changes it.
TEST_F(KeyFocus, KeyPressLeavesTheCharacter)
{
    RunEntry([&](TfrmImpost &form) {
        for (const char c : {'5', ',', '.', '\r', '\x1b', '\b', 'a'}) {
            QChar key = QLatin1Char(c);
            form.FormKeyPress(&form, key);
            EXPECT_EQ(key, QLatin1Char(c)) << int(c);
        }
    });
}

} // namespace
