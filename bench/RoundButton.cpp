#include "RoundButton.h"

#include <QPainter>

RoundButton::RoundButton(const QString &text, QWidget *parent) : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
}

void RoundButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? QColor(Qt::black) : QColor(0, 102, 153));
    painter.drawRoundedRect(QRectF(rect()), 9, 9);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
