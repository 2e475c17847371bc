#pragma once

class QWidget;
class TDBGrid;

// Finds the module's screen and tells where it stands, as the operator in front of it sees it.
class ScreenProbe
{
public:
    // The module's screen while it is shown, else null.
    static QWidget *Screen();
    // A KpfTestScreenStatus value.
    static int Status();
    // The grid that shows the tax lines, else the screen's only grid; null when it has none.
    static TDBGrid *Grid(QWidget *screen);
    // The control that keys go to: the screen's focused control, else the screen.
    static QWidget *KeyTarget(QWidget *screen);
};
