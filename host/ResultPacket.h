#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

// The packet the entry returns, read as any host reads it, with QXmlStreamReader: the field
// descriptions and the rows with their values and RowState. Values are typed by the field's
// fieldtype: QString, QDate, QDateTime, double, qint64 or bool; an absent attribute is NULL.
class ResultPacket
{
public:
    struct Field {
        QString name;
        QString type; // the fieldtype attribute as written ("string", "date", "r8", ...)
    };
    struct Row {
        std::vector<QVariant> values; // per field; invalid for NULL
        int rowState = 0; // 0 unchanged, 1 original of modified, 2 deleted, 4 inserted, 8 modified
    };

    std::vector<Field> fields;
    std::vector<Row> rows;

    // Nothing with the reason, line and column in *error when the packet is malformed.
    static std::optional<ResultPacket> Parse(const QByteArray &xml, QString *error);

    // The ROW lines: one JSON object per row, in packet order, its fields and rowState. Texts are
    // strings, numbers numbers, dates "YYYY-MM-DD"; an empty field is null.
    QList<QByteArray> JsonRows() const;

    static bool IsDate(const Field &field);
    static bool IsNumber(const Field &field); // r8, fixed and the integers
    // "original", "inserted", "deleted" or "modified" for a RowState bit set.
    static QString RowStateName(int rowState);
};
