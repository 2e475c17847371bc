#pragma once

#include <QAbstractButton>

// A button that paints itself as the keypad's do: a filled rounded rectangle and its text, no
// style involved.
class RoundButton : public QAbstractButton
{
public:
    RoundButton(const QString &text, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};
