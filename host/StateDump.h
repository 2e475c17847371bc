#pragma once

#include "TField.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

class TDataSet;
class QWidget;

// The JSON that kpfhost prints for `dump`: the screen's state (STATE). Texts are strings, floats
// numbers, dates "YYYY-MM-DD"; an empty field is null.
class StateDump
{
public:
    // {nrCampo, txAliq, txValor, state, recNo (0 = top, -1 none), selectedField, rows}
    static QByteArray ScreenState(const QWidget *screen);

    static QByteArray FieldValue(const QVariant &value, TFieldType type);

private:
    static QByteArray DataSetRows(const TDataSet *dataSet);
};
