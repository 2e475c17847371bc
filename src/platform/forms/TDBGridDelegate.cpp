#include "TDBGridDelegate.h"

#include "PaintCache.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionFocusRect>
#include <QVarLengthArray>

#include <utility>

bool TDBGridDelegate::TextKey::operator==(const TextKey &other) const
{
    return width == other.width && alignment == other.alignment && direction == other.direction &&
           text == other.text && font == other.font;
}

size_t qHash(const TDBGridDelegate::TextKey &key, size_t seed) noexcept
{
    return qHashMulti(seed, key.text, key.font, key.width, key.alignment, key.direction);
}

void TDBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    // As QStyledItemDelegate paints, with the option made once for the cell, its text and frame.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    // The style paints the rest of the cell from the same option, without the frame and
    // without a text drawn here; both are put back for the frame.
    const QStyle::State focus = cell.state & QStyle::State_HasFocus;
    const QTextLayout *text = OneLineText(cell, style);
    cell.state &= ~QStyle::State_HasFocus;
    const QString kept = text ? std::exchange(cell.text, QString()) : QString();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    // In the style's order: background, text, focus frame.
    if (text)
        DrawText(painter, cell, *text, style);
    if (focus) {
        cell.state |= focus;
        cell.text = kept;
        DrawFocusFrame(painter, cell, style);
    }
}

// The cell's text laid out as the style lays it out to draw it, kept for the next paint; null
// where the style's own path must draw it.
const QTextLayout *TDBGridDelegate::OneLineText(const QStyleOptionViewItem &cell,
                                                const QStyle *style) const
{
    // Only what the Fusion style's item view item draws through its common base: a text, alone,
    // beside no decoration, in a cell that takes the whole rect.
    constexpr auto plain = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::Alternate;
    if (cell.text.isEmpty() || (cell.features & ~plain) || !cell.showDecorationSelected ||
        (cell.state & QStyle::State_Editing) ||
        (cell.decorationPosition != QStyleOptionViewItem::Left &&
         cell.decorationPosition != QStyleOptionViewItem::Right) ||
        qstrcmp(style->metaObject()->className(), "QFusionStyle") != 0)
        return nullptr;
    const int width = cell.rect.width() - 2 * TextMargin(cell, style);
    const Qt::Alignment alignment = QStyle::visualAlignment(cell.direction, cell.displayAlignment);
    TextKey key{cell.text, cell.font, width, int(alignment), int(cell.direction)};
    if (const LaidOutText *kept = m_texts.object(key))
        return kept->layout.get();

    auto layout = std::make_unique<QTextLayout>(cell.text, cell.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(cell.direction);
    textOption.setAlignment(alignment);
    layout->setTextOption(textOption);
    layout->setCacheEnabled(true); // keeps the shaped glyphs for the next paint
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(width);
    line.setPosition(QPointF(0, 0));
    const bool oneLine = !layout->createLine().isValid();
    layout->endLayout();
    auto *laidOut = new LaidOutText;
    if (oneLine && line.naturalTextWidth() <= width)
        laidOut->layout = std::move(layout);
    m_texts.insert(std::move(key), laidOut);
    return laidOut->layout.get();
}

int TDBGridDelegate::TextMargin(const QStyleOptionViewItem &cell, const QStyle *style)
{
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
}

// Where and in what colour the style draws a cell's text: within the cell less its margins,
// placed vertically by the text's height.
void TDBGridDelegate::DrawText(QPainter *painter, const QStyleOptionViewItem &cell,
                               const QTextLayout &text, const QStyle *style)
{
    QPalette::ColorGroup group =
        cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const int margin = TextMargin(cell, style);
    const QRect bounds = cell.rect.adjusted(margin, 0, -margin, 0);
    const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, cell.displayAlignment,
                                             text.boundingRect().size().toSize(), bounds);
    painter->save();
    painter->setClipRect(cell.rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter->setPen(cell.palette.color(
        group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    text.draw(painter, QPointF(bounds.x(), placed.top()));
    painter->restore();
}

void TDBGridDelegate::DrawFocusFrame(QPainter *painter, const QStyleOptionViewItem &cell,
                                     const QStyle *style)
{
    const QStyleOptionFocusRect frame = FocusFrameOption(cell, style);
    const qreal ratio = PaintCache::TargetRatio(*painter);
    painter->save();
    painter->setClipRect(cell.rect); // as the style clips a cell's painting
    if (PaintCache::OnWholePixels(*painter, ratio))
        painter->drawPixmap(frame.rect.topLeft(), FocusFrame(frame, style, cell.widget, ratio));
    else
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, cell.widget);
    painter->restore();
}

// The frame as the style's item view item has it: its rect, keyboard focus and item states, and
// the background it lies on.
QStyleOptionFocusRect TDBGridDelegate::FocusFrameOption(const QStyleOptionViewItem &cell,
                                                        const QStyle *style)
{
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(cell);
    frame.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &cell, cell.widget);
    frame.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    const QPalette::ColorGroup group =
        cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    frame.backgroundColor = cell.palette.color(
        group, cell.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
    return frame;
}

QPixmap TDBGridDelegate::FocusFrame(const QStyleOptionFocusRect &frame, const QStyle *style,
                                    const QWidget *widget, qreal ratio)
{
    // The palette by its colours, not its cache key: every screen's grid has a palette of its
    // own, with the same colours.
    QVarLengthArray<qint64, 32> parts{frame.rect.width(),
                                      frame.rect.height(),
                                      qint64(ratio),
                                      qint64(frame.state),
                                      qint64(frame.backgroundColor.rgba64()),
                                      qint64(reinterpret_cast<quintptr>(style)),
                                      frame.direction,
                                      frame.palette.currentColorGroup()};
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        parts.append(qint64(frame.palette.color(QPalette::ColorRole(role)).rgba64()));
    const QString key =
        PaintCache::Key(QLatin1String("TDBGridDelegate:"), parts.constData(), parts.size());
    QPixmap picture;
    if (QPixmapCache::find(key, &picture))
        return picture;
    picture = QPixmap(frame.rect.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QStyleOptionFocusRect atOrigin = frame;
    atOrigin.rect.moveTo(0, 0);
    QPainter painter(&picture);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &atOrigin, &painter, widget);
    painter.end();
    QPixmapCache::insert(key, picture);
    return picture;
}
