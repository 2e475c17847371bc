#pragma once

#include <QCache>
#include <QFont>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <memory>

class QStyleOptionFocusRect;

// Paints a grid cell as QStyledItemDelegate does, with two things kept between paints:
// - the current cell's focus frame, laid from Qt's pixmap cache: the style draws it as an
//   antialiased, gradient-filled rounded rectangle, the dearest part of moving the current cell,
//   and it is the same in every cell of one size and look;
// - a one-line text's layout: the style lays a cell's text out five times on every paint (three
//   times for its rects, once to elide, once to draw), while a cell is mostly repainted with the
//   text it had. The text is placed and drawn as the style does, under the Fusion style only.
class TDBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    struct TextKey {
        QString text;
        QFont font;
        int width;
        int alignment;
        int direction;
        bool operator==(const TextKey &other) const;
    };
    friend size_t qHash(const TextKey &key, size_t seed) noexcept;
    // A laid-out text, or none where the style's own path must draw it (more than one line,
    // or a line the cell would elide).
    struct LaidOutText {
        std::unique_ptr<QTextLayout> layout;
    };

    const QTextLayout *OneLineText(const QStyleOptionViewItem &cell, const QStyle *style) const;
    static int TextMargin(const QStyleOptionViewItem &cell, const QStyle *style);
    static void DrawText(QPainter *painter, const QStyleOptionViewItem &cell,
                         const QTextLayout &text, const QStyle *style);
    static void DrawFocusFrame(QPainter *painter, const QStyleOptionViewItem &cell,
                               const QStyle *style);
    static QStyleOptionFocusRect FocusFrameOption(const QStyleOptionViewItem &cell,
                                                  const QStyle *style);
    static QPixmap FocusFrame(const QStyleOptionFocusRect &frame, const QStyle *style,
                              const QWidget *widget, qreal ratio);

    mutable QCache<TextKey, LaidOutText> m_texts{256};
};
