#pragma once

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crHourGlass = -11;

// The global screen cursor; crHourGlass shows Qt's wait cursor over the whole application.
class TScreen
{
public:
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);

private:
    TCursor m_cursor = crDefault;
};

TScreen &Screen();
