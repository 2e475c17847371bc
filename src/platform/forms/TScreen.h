#pragma once

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHourGlass = -11;

// The global screen cursor; crHourGlass shows Qt's wait cursor over the whole application.
// It is one value, not a stack: crDefault always removes the cursor that this class set, however
// many times a busy cursor was asked for before.
class TScreen
{
public:
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);

private:
    TCursor m_cursor = crDefault;
    bool m_overrideSet = false; // one application override cursor is ours
};

TScreen &Screen();
