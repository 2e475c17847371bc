// TBlendedBitBtn: painting and size hints.
#include "Blendedshape.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPixmapCache>

#include <cmath>

namespace
{
constexpr qreal kCornerRadius = 9.0;
constexpr int kMargin = 4;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextShowMnemonic;

// The pixel ratio of what is painted on: the screen, or an image when grabbed.
qreal TargetRatio(const QPainter &painter)
{
    const QPaintDevice *target =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
    return target->devicePixelRatioF();
}

// A picture can stand for painting only where it lands pixel for pixel: a whole ratio, and no
// transformation but that ratio and a move by whole device pixels.
bool OnWholePixels(const QPainter &painter, qreal ratio)
{
    const QTransform t = painter.deviceTransform();
    return ratio == std::floor(ratio) && t.type() <= QTransform::TxScale && t.m11() == ratio &&
           t.m22() == ratio && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}
} // namespace

QSize TBlendedBitBtn::CaptionSize() const
{
    const QString caption = text();
    if (caption.isEmpty())
        return {};
    if (!m_captionSize || caption != m_measuredCaption) {
        m_captionSize = fontMetrics().size(Qt::TextShowMnemonic, caption);
        m_measuredCaption = caption;
    }
    return *m_captionSize;
}

QSize TBlendedBitBtn::EffectiveGlyphSize() const
{
    if (m_glyph.isNull())
        return {};
    if (m_glyphSize.isValid())
        return m_glyphSize;
    // Scalable glyphs fill the height; pixmap glyphs keep their own size when smaller.
    const int side = qMax(0, qMin(width(), height()) - 2 * kMargin);
    return m_glyph.actualSize(QSize(side, side));
}

void TBlendedBitBtn::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const bool enabled = isEnabled();
    const bool down = isDown();
    const QColor fill = !enabled ? m_disabledColor : (down ? m_downColor : m_brushColor);
    const QColor ink = !enabled ? m_disabledFontColor : (down ? m_downFontColor : m_fontColor);
    QRect glyphRect;
    QRect textRect;
    ContentRects(glyphRect, textRect);
    const qreal ratio = TargetRatio(painter);
    if (OnWholePixels(painter, ratio)) {
        LayFace(painter, Face(fill, glyphRect, ratio), ratio);
    } else {
        PaintShape(painter, fill);
        PaintGlyph(painter, glyphRect);
    }
    // The caption is drawn on the target itself: text may be rendered otherwise on a
    // transparent picture than on the screen (subpixel antialiasing, the device's resolution).
    if (!textRect.isEmpty()) {
        painter.setPen(ink);
        painter.setFont(font());
        painter.drawText(textRect, kTextFlags, text());
    }
}

// Qt's raster engine hands the blend of a large picture to its thread pool, and for a key waking
// the threads takes longer than the blend; laid down in bands of a few rows, it stays on this
// thread. The pixels are the same.
void TBlendedBitBtn::LayFace(QPainter &painter, const QPixmap &face, qreal ratio)
{
    constexpr int kBandRows = 32;
    const int rows = face.height();
    const int band = kBandRows * int(ratio);
    for (int top = 0; top < rows; top += band) {
        const QRect source(0, top, face.width(), qMin(band, rows - top));
        painter.drawPixmap(QPointF(0, top / ratio), face, source);
    }
}

// The shape and the glyph, painted once per look and process and kept in Qt's pixmap cache.
// Blending the picture onto the background gives the same pixels as painting the shape there.
QPixmap TBlendedBitBtn::Face(const QColor &fill, const QRect &glyphRect, qreal ratio) const
{
    QIcon::Mode mode = QIcon::Normal;
    const QIcon &glyph = CurrentGlyph(mode);
    const QColor outline =
        m_penStyle == psSolid ? palette().color(QPalette::WindowText) : QColor(Qt::transparent);
    QString key = QStringLiteral("TBlendedBitBtn");
    for (const qint64 part :
         {qint64(width()), qint64(height()), qint64(ratio), qint64(fill.rgba64()),
          qint64(outline.rgba64()), qint64(m_shape), qint64(m_penStyle),
          qint64(glyphRect.isEmpty() ? 0 : glyph.cacheKey()), qint64(mode), qint64(glyphRect.x()),
          qint64(glyphRect.y()), qint64(glyphRect.width()), qint64(glyphRect.height())}) {
        key += QLatin1Char(':');
        key += QString::number(part, 36);
    }
    QPixmap face;
    if (QPixmapCache::find(key, &face))
        return face;
    face = QPixmap(size() * int(ratio));
    face.setDevicePixelRatio(ratio);
    face.fill(Qt::transparent);
    QPainter painter(&face);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    PaintShape(painter, fill);
    PaintGlyph(painter, glyphRect);
    painter.end();
    QPixmapCache::insert(key, face);
    return face;
}

void TBlendedBitBtn::PaintShape(QPainter &painter, const QColor &fill) const
{
    QRectF area = rect();
    if (m_penStyle == psSolid) {
        // Half a pixel in, so that the 1-pixel outline lies inside the control.
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
        area.adjust(0.5, 0.5, -0.5, -0.5);
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(fill);
    switch (m_shape) {
    case stCircle: {
        const qreal diameter = qMin(area.width(), area.height());
        QRectF circle(0, 0, diameter, diameter);
        circle.moveCenter(area.center());
        painter.drawEllipse(circle);
        break;
    }
    case stRoundRect: {
        const qreal radius = qMin(kCornerRadius, qMin(area.width(), area.height()) / 2);
        painter.drawRoundedRect(area, radius, radius);
        break;
    }
    case stRectangle:
        painter.drawRect(area);
        break;
    }
}

void TBlendedBitBtn::ContentRects(QRect &glyphRect, QRect &textRect) const
{
    const QSize textSize = CaptionSize();
    const QSize glyphSize = EffectiveGlyphSize();
    const bool hasText = !textSize.isEmpty();
    const bool hasGlyph = !glyphSize.isEmpty();
    const int gap = hasText && hasGlyph ? m_spacing : 0;
    const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
    const bool glyphFirst = m_layout == blGlyphLeft || m_layout == blGlyphTop;

    const QSize group = vertical ? QSize(qMax(textSize.width(), glyphSize.width()),
                                         textSize.height() + gap + glyphSize.height())
                                 : QSize(textSize.width() + gap + glyphSize.width(),
                                         qMax(textSize.height(), glyphSize.height()));
    QRect box(QPoint(0, 0), group);
    box.moveCenter(rect().center());

    glyphRect = QRect(QPoint(0, 0), glyphSize);
    textRect = QRect(QPoint(0, 0), textSize);
    if (vertical) {
        glyphRect.moveTop(glyphFirst ? box.top() : box.bottom() - glyphSize.height() + 1);
        textRect.moveTop(glyphFirst ? box.bottom() - textSize.height() + 1 : box.top());
        glyphRect.moveLeft(box.center().x() - glyphSize.width() / 2);
        textRect.moveLeft(box.center().x() - textSize.width() / 2);
    } else {
        glyphRect.moveLeft(glyphFirst ? box.left() : box.right() - glyphSize.width() + 1);
        textRect.moveLeft(glyphFirst ? box.right() - textSize.width() + 1 : box.left());
        glyphRect.moveTop(box.center().y() - glyphSize.height() / 2);
        textRect.moveTop(box.center().y() - textSize.height() / 2);
    }
}

const QIcon &TBlendedBitBtn::CurrentGlyph(QIcon::Mode &mode) const
{
    const bool enabled = isEnabled();
    const bool ownDisabled = !enabled && !m_glyphDisabled.isNull();
    // Pressed, the glyph is asked for in Active mode, so a glyph may follow DownFontColor.
    mode = !enabled   ? (ownDisabled ? QIcon::Normal : QIcon::Disabled)
           : isDown() ? QIcon::Active
                      : QIcon::Normal;
    return ownDisabled ? m_glyphDisabled : m_glyph;
}

void TBlendedBitBtn::PaintGlyph(QPainter &painter, const QRect &glyphRect) const
{
    if (glyphRect.isEmpty())
        return;
    QIcon::Mode mode = QIcon::Normal;
    const QIcon &icon = CurrentGlyph(mode);
    // Rendered for the pixel ratio of what is painted on (screen, or an image when grabbed),
    // so the glyph stays sharp on high-DPI screens.
    const QPixmap pixmap = icon.pixmap(glyphRect.size(), TargetRatio(painter), mode);
    painter.drawPixmap(glyphRect, pixmap);
}

QSize TBlendedBitBtn::sizeHint() const
{
    const QSize text = CaptionSize();
    const QSize glyph = m_glyph.isNull()        ? QSize()
                        : m_glyphSize.isValid() ? m_glyphSize
                                                : m_glyph.actualSize(QSize(32, 32));
    const int gap = !text.isEmpty() && !glyph.isEmpty() ? m_spacing : 0;
    const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
    QSize content =
        vertical ? QSize(qMax(text.width(), glyph.width()), text.height() + gap + glyph.height())
                 : QSize(text.width() + gap + glyph.width(), qMax(text.height(), glyph.height()));
    return content.grownBy(QMargins(2 * kMargin, 2 * kMargin, 2 * kMargin, 2 * kMargin));
}

QSize TBlendedBitBtn::minimumSizeHint() const
{
    return sizeHint();
}
