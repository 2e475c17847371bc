#pragma once

#include <QByteArray>

class TDataSet;
class QWidget;

// The screen's state as one JSON line: {nrCampo, the entry texts the screen publishes (txAliq,
// txValor), state, recNo (0 = top, -1 none), selectedField, rows}. Texts are strings, floats
// numbers, dates "YYYY-MM-DD"; an empty field is null.
class ScreenStateJson
{
public:
    static QByteArray Of(const QWidget *screen);

private:
    static QByteArray Rows(const TDataSet *dataSet);
};
