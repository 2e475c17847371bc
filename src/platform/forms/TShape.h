#pragma once

#include <QColor>
#include <QWidget>

// The platform's rectangle shape: a solid fill framed by a pen drawn inside the bounds, as a
// graphic control that never takes touches or the focus (the controls above it get them).
class TShape : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor BrushColor READ BrushColor WRITE SetBrushColor)
    Q_PROPERTY(QColor PenColor READ PenColor WRITE SetPenColor)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)

public:
    explicit TShape(QWidget *parent = nullptr);

    QColor BrushColor() const { return m_brushColor; }
    void SetBrushColor(const QColor &color);
    QColor PenColor() const { return m_penColor; }
    void SetPenColor(const QColor &color);
    int PenWidth() const { return m_penWidth; }
    void SetPenWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_brushColor = Qt::white;
    QColor m_penColor = Qt::black;
    int m_penWidth = 1;
};
