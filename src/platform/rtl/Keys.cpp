#include "Keys.h"

#include <array>
#include <utility>

namespace
{

// Keys whose virtual-key code is not simply their letter, digit or function number.
constexpr std::array<std::pair<int, Word>, 28> kNamedKeys{{
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB}, // Qt's name for Shift+Tab
    {Qt::Key_Return, VK_RETURN},  {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, 0x10},        {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},          {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},     {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, 0x20},        {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},     {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},         {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},          {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},      {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, VK_DELETE},  {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},        {Qt::Key_Minus, 0xBD},
    {Qt::Key_Period, 0xBE},       {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
}};

} // namespace

Word VirtualKeyFromQt(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return Word(0x30 + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return Word(0x41 + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return Word(0x70 + (qtKey - Qt::Key_F1));
    for (const auto &[key, vk] : kNamedKeys)
        if (key == qtKey)
            return vk;
    return 0;
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers)
{
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ssShift;
    if (modifiers & Qt::AltModifier)
        state |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        state |= ssCtrl;
    return state;
}
