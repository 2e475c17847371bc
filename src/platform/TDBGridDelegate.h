#pragma once

#include <QStyledItemDelegate>

class QStyleOptionFocusRect;

// Paints a grid cell as QStyledItemDelegate does, but the current cell's focus frame is laid
// from a picture kept in Qt's pixmap cache. The style draws that frame as an antialiased,
// gradient-filled rounded rectangle, the dearest part of moving the current cell, and it is the
// same in every cell of one size and look.
class TDBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    static QStyleOptionFocusRect FocusFrameOption(const QStyleOptionViewItem &cell,
                                                  const QStyle *style);
    static QPixmap FocusFrame(const QStyleOptionFocusRect &frame, const QStyle *style,
                              const QWidget *widget, qreal ratio);
};
