#pragma once

#include <QtGlobal>
#include <qnamespace.h>

// Windows virtual-key codes and shift states, which the screen's key-down handlers compare.
using Word = quint16;

enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned; // a set of TShiftStateFlag, compared as a whole

constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_F4 = 0x73;

// Qt::Key to virtual-key code (0 when there is none) and Qt modifiers to the shift-state set.
Word VirtualKeyFromQt(int qtKey);
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers);
