// The physical keyboard: characters through the screen's key preview, and the two key-down
// filters. Keys must do exactly what their buttons do, and Qt must add nothing of its own.
#include "EditingFixture.h"

#include "Cli_Kpf05520.h"

#include <QApplication>

namespace
{

using Case = EditingFixture::ScreenCase;

class KeyboardSession : public EditingFixture
{
protected:
    // What the operator can see after the steps: fields, texts, lines, messages and errors.
    QString Session(const QString &steps)
    {
        messages.clear();
        errors.clear();
        QString seen;
        RunEntry([&](TfrmImpost &form) {
            Play(steps);
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
    {"Digits", "type 123", "keypad 1 2 3"},
    {"EnterKey", "type 01\nkey Enter\ntype 4", "keypad 0 1 Enter 4"},
    {"EnterKeyOnUnregisteredCode", "type 9\nkey Enter", "keypad 9 Enter"},
    {"EscapeKey", "type 01\nkey Escape\nkey Escape", "keypad 0 1 Voltar Voltar"},
    {"EscapeCyclesBack", "type 01\nkey Escape\nkey Escape\nkey Escape",
     "keypad 0 1 Voltar Voltar Voltar"},
    {"BackspaceKey", "type 01\nkey Enter\ntype 12\nkey Backspace", "keypad 0 1 Enter 1 2 Corrigir"},
    {"BackspaceOnFreshScreen", "key Backspace", "keypad Corrigir"},
    {"BackspaceOnEmptyRate", "type 01\nkey Enter\nkey Backspace", "keypad 0 1 Enter Corrigir"},
    {"CommaKey", "type 01\nkey Enter\ntype ,5,", "keypad 0 1 Enter , 5 ,"},
    {"FullStopDoesNothing", "type 01\nkey Enter\ntype 1.5", "keypad 0 1 Enter 1 5"},
    {"FullStopOnFreshScreen", "type .", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeysLikeButtons, ::testing::ValuesIn(kKeyCases), CaseName());

class KeyboardEffects : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(KeyboardEffects, AsDescribed)
{
    RunCase(GetParam());
}

// clang-format off
const Case kEffectCases[] = {
    // Escape must not close the dialog, nor Enter press a default button.
    {.name = "EscapeKeepsTheScreen", .steps = "key Escape\nkey Escape", .closed = 0},
    {.name = "EnterKeepsTheScreen", .stored = true,
     .steps = "select 0 VRALIQIMPRZ\nkey Enter\nkey Enter",
     .closed = 0},
    {.name = "AltF4KeepsTheScreen", .steps = "keypad 0 1\nkey Alt+F4", .state = 3, .closed = 0},
    {.name = "CtrlDeleteRemovesNothing", .stored = true, .steps = "key Ctrl+Delete", .rows = 2},
    {.name = "CtrlShiftDeleteRemovesNothing", .stored = true, .steps = "key Ctrl+Shift+Delete",
     .rows = 2},
    // A digit typed with the cursor on a stored line goes to a new line; a keyboard search of the
    // grid would move the cursor and try to post it.
    {.name = "DigitsDoNotSearchTheGrid", .stored = true, .steps = "select 1 CDIMPOSTO\ntype 03",
     .nrCampo = 1, .state = 3, .rows = 3, .top = "03|~|~"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, KeyboardEffects, ::testing::ValuesIn(kEffectCases), CaseName());

using KeyFocus = EditingFixture;

// The keypad never takes the focus from the grid, so keys keep reaching the screen.
TEST_F(KeyFocus, ButtonsLeaveTheFocusOnTheGrid)
{
    RunEntry([&](TfrmImpost &form) {
        Play("keypad 0 1 Enter 5 , Corrigir Voltar + -");
        const QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->objectName(), "dbgImpRedZ");
        Play("key 7");
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

class KeyDownFilters : public EditingFixture, public ::testing::WithParamInterface<FilterCase>
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
