#include "TDBGridTitles.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace
{

// RGB(204, 91, 44): the screen's frame colour; the lines are a darker shade of it.
constexpr QColor kTitleBackground(204, 91, 44);
constexpr QColor kTitleLine(160, 70, 34);
constexpr QMargins kPadding(3, 1, 3, 1);
constexpr QMargins kLines(0, 0, 1, 1); // right and bottom

} // namespace

TDBGridTitles::TDBGridTitles(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

void TDBGridTitles::SetTitleColors(bool on)
{
    if (on == m_titleColors)
        return;
    m_titleColors = on;
    QFont titles; // only family and weight are set; the rest still follows the grid's font
    if (on) {
        titles.setFamily(QStringLiteral("Arial"));
        titles.setBold(true);
    }
    setFont(titles);
    m_laidOut.clear();
    viewport()->update();
}

void TDBGridTitles::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!m_titleColors) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    if (!rect.isValid())
        return;
    // Lines as one-pixel rectangles: filling costs a fraction of stroking a pen.
    painter->fillRect(rect.marginsRemoved(kLines), kTitleBackground);
    painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), kTitleLine);
    painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), kTitleLine);
    const QRect textRect = rect.marginsRemoved(kLines).marginsRemoved(kPadding);
    const QStaticText &title = Title(logicalIndex);
    const QRect placed =
        QStyle::alignedRect(layoutDirection(), defaultAlignment(), title.size().toSize(), textRect);
    painter->setPen(Qt::white);
    if (title.size().width() > textRect.width())
        painter->setClipRect(textRect); // cut at the padding, as a style sheet cuts it
    painter->drawStaticText(placed.topLeft(), title);
}

void TDBGridTitles::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_laidOut.clear();
    QHeaderView::changeEvent(event);
}

// QHeaderView repaints the titles of the old and the new current column, and of the columns whose
// selection changed; painted flat, a title looks the same whichever cell is current or selected.
void TDBGridTitles::currentChanged(const QModelIndex &current, const QModelIndex &old)
{
    if (!m_titleColors)
        QHeaderView::currentChanged(current, old);
}

void TDBGridTitles::selectionChanged(const QItemSelection &selected,
                                     const QItemSelection &deselected)
{
    if (!m_titleColors)
        QHeaderView::selectionChanged(selected, deselected);
}

TDBGridTitles::LaidOutTitle &TDBGridTitles::LaidOut(int logicalIndex) const
{
    if (logicalIndex >= int(m_laidOut.size()))
        m_laidOut.resize(logicalIndex + 1);
    return m_laidOut[logicalIndex];
}

QString TDBGridTitles::SectionTitle(int logicalIndex) const
{
    return model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
}

const QStaticText &TDBGridTitles::Title(int logicalIndex) const
{
    LaidOutTitle &laidOut = LaidOut(logicalIndex);
    const QString title = SectionTitle(logicalIndex);
    if (laidOut.text.text() != title) {
        laidOut.text.setText(title);
        laidOut.text.setTextFormat(Qt::PlainText);
        laidOut.text.prepare(QTransform(), font());
    }
    return laidOut.text;
}

// As a style sheet with that padding and those lines measures a section: the style's header
// margin around the text, then the padding and the lines.
QSize TDBGridTitles::sectionSizeFromContents(int logicalIndex) const
{
    if (!m_titleColors)
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    LaidOutTitle &laidOut = LaidOut(logicalIndex);
    const QString title = SectionTitle(logicalIndex);
    if (laidOut.measured.isEmpty() || laidOut.measuredTitle != title) {
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        const QMargins around = kPadding + kLines + QMargins(margin, margin, margin, margin);
        laidOut.measuredTitle = title;
        laidOut.measured = QSize(fontMetrics().horizontalAdvance(title), fontMetrics().height()) +
                           QSize(around.left() + around.right(), around.top() + around.bottom());
    }
    return laidOut.measured;
}
