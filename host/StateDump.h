#pragma once

#include "TField.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

class DataPacket;
class TDataSet;
class QWidget;

// The JSON that kpfhost prints: the screen's state for `dump` (STATE) and the rows of a returned
// packet (ROW). Texts are strings, floats numbers, dates "YYYY-MM-DD"; an empty field is null.
class StateDump
{
public:
    // {nrCampo, txAliq, txValor, state, recNo (0 = top, -1 none), selectedField, rows}
    static QByteArray ScreenState(const QWidget *screen);
    // One object per packet row, in packet order: its fields and rowState.
    static QList<QByteArray> PacketRows(const DataPacket &packet);

    static QByteArray FieldValue(const QVariant &value, TFieldType type);
    // "original", "inserted", "deleted" or "modified" for a RowState bit set.
    static QString RowStateName(int rowState);

private:
    static QByteArray DataSetRows(const TDataSet *dataSet);
};
