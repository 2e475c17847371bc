#include "TScreen.h"

#include <QApplication>
#include <QCursor>

namespace
{

Qt::CursorShape ShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crHourGlass:
        return Qt::WaitCursor;
    case crArrow:
        return Qt::ArrowCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

void TScreen::SetCursor(TCursor cursor)
{
    m_cursor = cursor;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    // Qt keeps override cursors on a stack; ours is kept at one entry so that the default
    // always comes back, whatever sequence of busy cursors came before.
    if (cursor == crDefault) {
        if (m_overrideSet)
            QApplication::restoreOverrideCursor();
        m_overrideSet = false;
    } else if (m_overrideSet) {
        QApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
    } else {
        QApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
        m_overrideSet = true;
    }
}

TScreen &Screen()
{
    static TScreen screen;
    return screen;
}
