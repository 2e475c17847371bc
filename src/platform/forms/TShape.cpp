#include "TShape.h"

#include <QPainter>

TShape::TShape(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent); // the default brush is opaque white
}

void TShape::SetBrushColor(const QColor &color)
{
    m_brushColor = color;
    // An opaque fill covers every pixel, so what lies beneath need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, color.alpha() == 255);
    update();
}

void TShape::SetPenColor(const QColor &color)
{
    m_penColor = color;
    update();
}

void TShape::SetPenWidth(int width)
{
    m_penWidth = qMax(0, width);
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_brushColor);
    if (m_penWidth == 0)
        return;
    const int w = m_penWidth;
    if (2 * w < qMin(width(), height())) {
        // The frame as four rectangles that do not overlap: the same pixels as the pen drawn
        // inside the bounds, without stroking the whole outline on every partial repaint.
        const QRect r = rect();
        painter.fillRect(QRect(r.left(), r.top(), r.width(), w), m_penColor);
        painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), m_penColor);
        painter.fillRect(QRect(r.left(), r.top() + w, w, r.height() - 2 * w), m_penColor);
        painter.fillRect(QRect(r.right() - w + 1, r.top() + w, w, r.height() - 2 * w), m_penColor);
        return;
    }
    // The pen lies wholly inside the bounds, so a frame of width 2 covers the two outer pixels.
    QPen pen(m_penColor, m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal inset = m_penWidth / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}
