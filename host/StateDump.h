#pragma once

#include "TField.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

class DataPacket;

// The JSON that kpfhost prints for the rows of a returned packet (ROW); the screen's state for
// `dump` comes from the test interface in the same form. Texts are strings, floats numbers,
// dates "YYYY-MM-DD"; an empty field is null.
class StateDump
{
public:
    // One object per packet row, in packet order: its fields and rowState.
    static QList<QByteArray> PacketRows(const DataPacket &packet);

    static QByteArray FieldValue(const QVariant &value, TFieldType type);
    // "original", "inserted", "deleted" or "modified" for a RowState bit set.
    static QString RowStateName(int rowState);
};
