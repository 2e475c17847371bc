#pragma once

#include <QString>
#include <QtGlobal>
#include <initializer_list>

class QPainter;

// For pictures painted once and kept in Qt's pixmap cache.
namespace PaintCache
{
// A cache key made of a prefix and the parts' bytes: exact, and cheap to build on every paint.
QString Key(QLatin1String prefix, const qint64 *parts, qsizetype count);
inline QString Key(QLatin1String prefix, std::initializer_list<qint64> parts)
{
    return Key(prefix, parts.begin(), qsizetype(parts.size()));
}
// The pixel ratio of what is painted on: the screen, or an image when grabbed.
qreal TargetRatio(const QPainter &painter);
// A picture can stand for painting only where it lands pixel for pixel: a whole ratio, and no
// transformation but that ratio and a move by whole device pixels.
bool OnWholePixels(const QPainter &painter, qreal ratio);
} // namespace PaintCache
