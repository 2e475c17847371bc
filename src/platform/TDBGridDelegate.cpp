#include "TDBGridDelegate.h"

#include "PaintCache.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionFocusRect>
#include <QVarLengthArray>

void TDBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (!(option.state & QStyle::State_HasFocus)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // As QStyledItemDelegate paints, with the option made once for the cell and its frame.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionViewItem unframed = cell;
    unframed.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &unframed, painter, widget);

    const QStyleOptionFocusRect frame = FocusFrameOption(cell, style);
    const qreal ratio = PaintCache::TargetRatio(*painter);
    painter->save();
    painter->setClipRect(cell.rect); // as the style clips a cell's painting
    if (PaintCache::OnWholePixels(*painter, ratio))
        painter->drawPixmap(frame.rect.topLeft(), FocusFrame(frame, style, widget, ratio));
    else
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, painter, widget);
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
