#include "PaintCache.h"

#include <QPaintEngine>
#include <QPainter>

#include <cmath>

QString PaintCache::Key(QLatin1String prefix, const qint64 *parts, qsizetype count)
{
    QString key = prefix;
    key.append(reinterpret_cast<const QChar *>(parts),
               count * qsizetype(sizeof(qint64) / sizeof(QChar)));
    return key;
}

qreal PaintCache::TargetRatio(const QPainter &painter)
{
    const QPaintDevice *target =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
    return target ? target->devicePixelRatio() : 1.0;
}

bool PaintCache::OnWholePixels(const QPainter &painter, qreal ratio)
{
    const QTransform t = painter.deviceTransform();
    return ratio == std::floor(ratio) && t.type() <= QTransform::TxScale && t.m11() == ratio &&
           t.m22() == ratio && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}
