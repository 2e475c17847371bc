#pragma once

#include "TFieldType.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

// The client-dataset XML data packet (version 2.0): field descriptions, PARAMS with the change
// log, and rows with their RowState. Reading checks everything and raises EDatabaseError with the
// line and column of the fault; it never yields half a packet. Documents with a DTD, entity
// references, text other than blanks, unknown elements or ROW attributes, or values that do not
// fit their field are refused; so is a string value longer than its WIDTH.
class DataPacket
{
public:
    struct FieldDesc {
        QString name;
        TFieldType type = TFieldType::ftString;
        int size = 0; // characters for strings
    };
    struct Row {
        std::vector<QVariant> values; // per field; invalid QVariant for null
        int rowState = 0; // 0 unchanged, 1 original of modified, 2 deleted, 4 inserted, 8 modified
        int originalRow =
            -1; // for a modified row (8): index of its original (1); -1 = the row before
        quint64 changeOrder = 0; // position in the change log (0 = after the others, in row order)
    };

    std::vector<FieldDesc> fields;
    std::vector<Row> rows;

    // Limits that keep a hostile packet from exhausting memory.
    static constexpr qint64 MaxBytes =
        64LL * 1024 * 1024; // a packet peaks at about 8 times its size
    static constexpr int MaxDepth = 16;
    static constexpr int MaxAttributes = 4096;   // per element: a ROW holds its fields and RowState
    static constexpr int MaxWidth = 1024 * 1024; // characters of a string field

    static DataPacket Parse(const QByteArray &xml); // raises EDatabaseError
    QByteArray ToXml() const;                       // change log written from the rows' RowState

    // Makes the packet what reading its XML would give: the same checks as ToXml, every value
    // in the type the reader yields, string sizes widened as WIDTH is, the change order
    // renumbered. Lets a packet pass between objects of one process without the XML.
    void Normalize();

    int FieldIndex(const QString &name) const; // -1 when absent (case-insensitive)
    // FieldIndex for many names: a packet of many fields is indexed once, so that looking up all
    // of its fields takes linear time; a few fields are compared in place.
    class FieldFinder
    {
    public:
        explicit FieldFinder(const DataPacket &packet);
        int IndexOf(const QString &name) const;

    private:
        const DataPacket &m_packet;
        QHash<QString, int> m_byFoldedName; // the first of equal names
    };

    // Field names become ROW attribute names, so they must be XML names (no colon).
    static bool IsFieldName(const QString &name);

private:
    void AppendFields(QByteArray &out) const;
    void AppendRows(QByteArray &out) const;
};
