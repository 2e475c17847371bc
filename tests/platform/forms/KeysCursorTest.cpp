#include "Keys.h"
#include "TScreen.h"

#include <QApplication>
#include <QCursor>
#include <gtest/gtest.h>
#include <vector>

namespace
{

TEST(VirtualKeys, QtKeysMapToVirtualKeyCodes)
{
    struct Row {
        const char *name;
        int qtKey;
        Word vk;
    };
    const Row rows[] = {
        {"digit 0", Qt::Key_0, 0x30},
        {"digit 9", Qt::Key_9, 0x39},
        {"letter A", Qt::Key_A, 0x41},
        {"letter Z", Qt::Key_Z, 0x5A},
        {"F1", Qt::Key_F1, 0x70},
        {"F4", Qt::Key_F4, VK_F4},
        {"F12", Qt::Key_F12, 0x7B},
        {"Backspace", Qt::Key_Backspace, VK_BACK},
        {"Tab", Qt::Key_Tab, VK_TAB},
        {"Shift+Tab", Qt::Key_Backtab, VK_TAB},
        {"Return", Qt::Key_Return, VK_RETURN},
        {"keypad Enter", Qt::Key_Enter, VK_RETURN},
        {"Escape", Qt::Key_Escape, VK_ESCAPE},
        {"Left", Qt::Key_Left, VK_LEFT},
        {"Up", Qt::Key_Up, VK_UP},
        {"Right", Qt::Key_Right, VK_RIGHT},
        {"Down", Qt::Key_Down, VK_DOWN},
        {"Delete", Qt::Key_Delete, VK_DELETE},
        {"unmapped", Qt::Key_unknown, 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(VirtualKeyFromQt(row.qtKey), row.vk) << row.name;
}

TEST(VirtualKeys, ModifiersMapToTheShiftStateSet)
{
    EXPECT_EQ(ShiftStateFromQt(Qt::NoModifier), 0u);
    EXPECT_EQ(ShiftStateFromQt(Qt::AltModifier), TShiftState(ssAlt));
    EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier), TShiftState(ssCtrl));
    EXPECT_EQ(ShiftStateFromQt(Qt::AltModifier | Qt::ShiftModifier), TShiftState(ssAlt | ssShift));
    EXPECT_EQ(ShiftStateFromQt(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier),
              TShiftState(ssCtrl | ssShift));
}

Qt::CursorShape OverrideShape()
{
    const QCursor *cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::BlankCursor;
}

// Whatever the sequence of busy cursors, the default leaves no override cursor behind.
TEST(ScreenCursor, DefaultAlwaysRestoresTheNormalCursor)
{
    struct Row {
        const char *name;
        std::vector<TCursor> sequence;
    };
    const Row rows[] = {
        {"hourglass then default", {crHourGlass, crDefault}},
        {"hourglass twice then default", {crHourGlass, crHourGlass, crDefault}},
        {"default alone", {crDefault}},
        {"default twice", {crHourGlass, crDefault, crDefault}},
        {"arrow then hourglass then default", {crArrow, crHourGlass, crDefault}},
    };
    for (const Row &row : rows) {
        for (TCursor cursor : row.sequence) {
            Screen().SetCursor(cursor);
            EXPECT_EQ(Screen().Cursor(), cursor) << row.name;
            if (cursor == crHourGlass) {
                EXPECT_EQ(OverrideShape(), Qt::WaitCursor) << row.name;
            }
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << row.name;
    }
}

} // namespace
