#pragma once

#include <QHeaderView>
#include <QStaticText>

#include <vector>

// The grid's column titles. With title colours on, every section is painted flat in the frame
// colour with white bold Arial text, a darker line right and below, and a padding of 1 pixel above
// and below and 3 beside; off, the style paints them as any header. Painted here rather than
// through a style sheet, which would give every grid a style of its own to build and to consult on
// each paint.
class TDBGridTitles : public QHeaderView
{
    Q_OBJECT

public:
    explicit TDBGridTitles(QWidget *parent = nullptr);

    void SetTitleColors(bool on);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &old) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    const QStaticText &Title(int logicalIndex) const;

    bool m_titleColors = false;
    // Each section's title as last laid out and measured, so that a repaint only draws and the
    // views' many size queries only look up.
    struct LaidOutTitle {
        QStaticText text;
        QString measuredTitle;
        QSize measured;
    };
    LaidOutTitle &LaidOut(int logicalIndex) const;
    QString SectionTitle(int logicalIndex) const;
    mutable std::vector<LaidOutTitle> m_laidOut;
};
