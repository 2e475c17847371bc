#include "StateDump.h"

#include "DataPacket.h"
#include "JsonLine.h"

#include <QDate>
#include <QDateTime>

QList<QByteArray> StateDump::PacketRows(const DataPacket &packet)
{
    QList<QByteArray> rows;
    for (const DataPacket::Row &row : packet.rows) {
        JsonLine line;
        for (size_t i = 0; i < packet.fields.size(); ++i) {
            const QByteArray name = packet.fields[i].name.toUtf8();
            const QVariant value = i < row.values.size() ? row.values[i] : QVariant();
            line.AddJson(name.constData(), FieldValue(value, packet.fields[i].type));
        }
        line.AddString("rowState", RowStateName(row.rowState));
        rows.append(line.ToJson());
    }
    return rows;
}

QByteArray StateDump::FieldValue(const QVariant &value, TFieldType type)
{
    if (!value.isValid() || value.isNull())
        return "null";
    switch (type) {
    case TFieldType::ftString: {
        const QString text = value.toString();
        return text.isEmpty() ? QByteArray("null") : JsonLine::String(text);
    }
    case TFieldType::ftDate:
        return JsonLine::String(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    case TFieldType::ftDateTime:
        return JsonLine::String(value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    case TFieldType::ftFloat:
        return JsonLine::Number(value.toDouble());
    case TFieldType::ftInteger:
        return QByteArray::number(value.toLongLong());
    case TFieldType::ftBoolean:
        return value.toBool() ? "true" : "false";
    }
    return "null";
}

QString StateDump::RowStateName(int rowState)
{
    if (rowState & 2)
        return QStringLiteral("deleted");
    if (rowState & 4)
        return QStringLiteral("inserted");
    if (rowState & 8)
        return QStringLiteral("modified");
    return QStringLiteral("original");
}
