// TBlendedBitBtn: painting and size hints.
#include "Blendedshape.h"

#include <QPaintEngine>
#include <QPainter>

namespace
{
constexpr qreal kCornerRadius = 9.0;
constexpr int kMargin = 4;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextShowMnemonic;
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
    PaintShape(painter, fill);
    PaintContent(painter, ink);
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

void TBlendedBitBtn::PaintContent(QPainter &painter, const QColor &ink) const
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

    QRect glyphRect(QPoint(0, 0), glyphSize);
    QRect textRect(QPoint(0, 0), textSize);
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

    if (hasGlyph) {
        const bool enabled = isEnabled();
        const bool ownDisabled = !enabled && !m_glyphDisabled.isNull();
        const QIcon &icon = ownDisabled ? m_glyphDisabled : m_glyph;
        // Pressed, the glyph is asked for in Active mode, so a glyph may follow DownFontColor.
        const QIcon::Mode mode = !enabled   ? (ownDisabled ? QIcon::Normal : QIcon::Disabled)
                                 : isDown() ? QIcon::Active
                                            : QIcon::Normal;
        // Rendered for the pixel ratio of what is painted on (screen, or an image when grabbed),
        // so the glyph stays sharp on high-DPI screens.
        const QPaintDevice *target =
            painter.paintEngine() ? painter.paintEngine()->paintDevice() : painter.device();
        const QPixmap pixmap = icon.pixmap(glyphSize, target->devicePixelRatioF(), mode);
        painter.drawPixmap(glyphRect, pixmap);
    }
    if (hasText) {
        painter.setPen(ink);
        painter.setFont(font());
        painter.drawText(textRect, kTextFlags, text());
    }
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
