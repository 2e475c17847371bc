// TBlendedBitBtn: painting and size hints.
#include "Blendedshape.h"
#include "PaintCache.h"

#include <QPainter>
#include <QPixmapCache>

#include <algorithm>
#include <cmath>

namespace
{
constexpr qreal kCornerRadius = 9.0;
constexpr int kMargin = 4;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextShowMnemonic;
// The most device rows Qt's raster engine blends on the calling thread; from 96 on it splits them
// across its thread pool.
constexpr int kBandRows = 95;

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
    const qreal ratio = PaintCache::TargetRatio(painter);
    if (PaintCache::OnWholePixels(painter, ratio)) {
        LayFace(painter, Face(fill, glyphRect, ratio), ratio, OpaqueRows(fill));
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

// The rows of the face that are opaque from edge to edge, in the control's pixels; an empty range
// when the shape leaves no such row. Between its rounded corners a key is filled wall to wall.
std::pair<int, int> TBlendedBitBtn::OpaqueRows(const QColor &fill) const
{
    const bool outlineOpaque =
        m_penStyle != psSolid || palette().color(QPalette::WindowText).alpha() == 255;
    if (m_shape == stCircle || fill.alpha() != 255 || !outlineOpaque)
        return {0, 0};
    // One more row than the radius, for the antialiased edge of the corners.
    const int corner = m_shape == stRoundRect ? int(std::ceil(kCornerRadius)) + 1 : 1;
    return {corner, qMax(corner, height() - corner)};
}

// Rows [from, to) of a picture, laid at `at` device rows from the top of the control in bands of
// kBandRows: Qt's raster engine hands the blend of a larger picture to its thread pool, and for a
// key waking the threads takes longer than the blend.
void TBlendedBitBtn::LayRows(QPainter &painter, const QPixmap &picture, int from, int to, int at,
                             qreal ratio)
{
    const int scale = int(ratio);
    const int band = kBandRows / scale * scale;
    for (int top = from; top < to; top += band) {
        const QRect source(0, top, picture.width(), qMin(band, to - top));
        painter.drawPixmap(QPointF(0, (at + top - from) / ratio), picture, source);
    }
}

// The face's opaque rows are laid from a copy without an alpha channel, which Qt copies instead
// of blending: the same pixels for a fraction of the work. The copy is kept beside the face.
void TBlendedBitBtn::LayFace(QPainter &painter, const QPixmap &face, qreal ratio,
                             std::pair<int, int> opaqueRows)
{
    const int scale = int(ratio);
    const int top = opaqueRows.first * scale;
    const int bottom = opaqueRows.second * scale;
    if (bottom <= top) {
        LayRows(painter, face, 0, face.height(), 0, ratio);
        return;
    }
    const QString key =
        PaintCache::Key(QLatin1String("TBlendedBitBtn:"), {2, face.cacheKey(), top, bottom});
    QPixmap opaque;
    if (!QPixmapCache::find(key, &opaque)) {
        opaque = QPixmap::fromImage(face.toImage()
                                        .copy(0, top, face.width(), bottom - top)
                                        .convertToFormat(QImage::Format_RGB32));
        QPixmapCache::insert(key, opaque);
    }
    LayRows(painter, face, 0, top, 0, ratio);
    LayRows(painter, opaque, 0, opaque.height(), top, ratio);
    LayRows(painter, face, bottom, face.height(), bottom, ratio);
}

// The shape and the glyph, painted once per look and process and kept in Qt's pixmap cache.
// Blending the picture onto the background gives the same pixels as painting the shape there.
QPixmap TBlendedBitBtn::Face(const QColor &fill, const QRect &glyphRect, qreal ratio) const
{
    QIcon::Mode mode = QIcon::Normal;
    const QIcon &glyph = CurrentGlyph(mode);
    const QColor outline =
        m_penStyle == psSolid ? palette().color(QPalette::WindowText) : QColor(Qt::transparent);
    const QString key = PaintCache::Key(
        QLatin1String("TBlendedBitBtn:"),
        {1, width(), height(), qint64(ratio), qint64(fill.rgba64()), qint64(outline.rgba64()),
         m_shape, m_penStyle, glyphRect.isEmpty() ? 0 : glyph.cacheKey(), mode, glyphRect.x(),
         glyphRect.y(), glyphRect.width(), glyphRect.height()});
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
    const QPixmap pixmap = icon.pixmap(glyphRect.size(), PaintCache::TargetRatio(painter), mode);
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
