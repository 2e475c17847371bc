#include "DataPacket.h"

#include "Exceptions.h"
#include "TDataSet.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace
{

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Text that XML 1.0 can carry: no control characters, no lone surrogates.
bool isXmlText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || !isXmlChar(c.unicode()))
            return false;
    }
    return true;
}

QString fourDigitDate(const QDate &date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw EDatabaseError(QStringLiteral("Data fora do intervalo do pacote de dados"));
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString valueText(const DataPacket::FieldDesc &field, const QVariant &value)
{
    switch (field.type) {
    case TFieldType::ftString: {
        const QString text = value.toString();
        if (!isXmlText(text))
            throw EDatabaseError(
                QStringLiteral("O campo '%1' contém um caractere que o pacote de dados não admite")
                    .arg(field.name));
        return text;
    }
    case TFieldType::ftDate:
        return fourDigitDate(value.typeId() == QMetaType::QDateTime ? value.toDateTime().date()
                                                                    : value.toDate());
    case TFieldType::ftDateTime: {
        const QDateTime dt = value.typeId() == QMetaType::QDate
                                 ? QDateTime(value.toDate(), QTime(0, 0))
                                 : value.toDateTime();
        return fourDigitDate(dt.date()) + dt.time().toString(QStringLiteral("'T'HH:mm:sszzz"));
    }
    case TFieldType::ftFloat: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            throw EDatabaseError(
                QStringLiteral("O campo '%1' contém um número inválido").arg(field.name));
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
        return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    case TFieldType::ftInteger:
        return QString::number(value.toLongLong());
    case TFieldType::ftBoolean:
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    return QString();
}

// WIDTH is the field's size, widened to the longest value when a store holds a longer one (a
// query may), so that a reader never meets a value beyond its WIDTH; an unsized field is written
// as wide as its longest value.
int stringWidth(const DataPacket &packet, size_t fieldIndex)
{
    qsizetype width = std::max(1, packet.fields[fieldIndex].size);
    for (const DataPacket::Row &row : packet.rows)
        if (fieldIndex < row.values.size())
            width = std::max(width, row.values[fieldIndex].toString().size());
    return int(width);
}

void checkFields(const DataPacket &packet)
{
    for (size_t i = 0; i < packet.fields.size(); ++i) {
        const QString &name = packet.fields[i].name;
        if (!DataPacket::IsFieldName(name) || name == QLatin1String("RowState") ||
            packet.FieldIndex(name) != int(i))
            throw EDatabaseError(
                QStringLiteral("O nome de campo '%1' não pode ir num pacote de dados").arg(name));
    }
}

// One "row original kind" triple per change, in the order the changes were made.
QString changeLog(const DataPacket &packet)
{
    struct Entry {
        quint64 order;
        size_t row;
        int original;
        int kind;
    };
    std::vector<Entry> entries;
    const auto &rows = packet.rows;
    for (size_t r = 0; r < rows.size(); ++r) {
        const int kind = rows[r].rowState;
        if (kind == 0 || kind == 1)
            continue;
        int original = 0;
        if (kind == 8) {
            const int o = rows[r].originalRow >= 0 ? rows[r].originalRow : int(r) - 1;
            if (o < 0 || size_t(o) >= rows.size() || rows[size_t(o)].rowState != 1)
                throw EDatabaseError(QStringLiteral("Linha alterada %1 sem a original").arg(r + 1));
            original = o + 1;
        }
        const quint64 order = rows[r].changeOrder ? rows[r].changeOrder : ~quint64(0);
        entries.push_back({order, r, original, kind});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.order < b.order; });
    QStringList items;
    for (const Entry &e : entries)
        items << QString::number(e.row + 1) << QString::number(e.original)
              << QString::number(e.kind);
    return items.join(QLatin1Char(' '));
}

} // namespace

QString DataPacket::TypeName(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
        return QStringLiteral("string");
    case TFieldType::ftDate:
        return QStringLiteral("date");
    case TFieldType::ftDateTime:
        return QStringLiteral("dateTime");
    case TFieldType::ftFloat:
        return QStringLiteral("r8");
    case TFieldType::ftInteger:
        return QStringLiteral("i4");
    case TFieldType::ftBoolean:
        return QStringLiteral("boolean");
    }
    return QString();
}

bool DataPacket::IsFieldName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool start = c.isLetter() || c == QLatin1Char('_');
        const bool inner = c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.');
        if (!(i == 0 ? start : start || inner))
            return false;
    }
    return true;
}

int DataPacket::FieldIndex(const QString &name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QByteArray DataPacket::ToXml() const
{
    checkFields(*this);
    const QString log = changeLog(*this);
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("DATAPACKET"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("METADATA"));
    xml.writeStartElement(QStringLiteral("FIELDS"));
    for (size_t i = 0; i < fields.size(); ++i) {
        xml.writeEmptyElement(QStringLiteral("FIELD"));
        xml.writeAttribute(QStringLiteral("attrname"), fields[i].name);
        xml.writeAttribute(QStringLiteral("fieldtype"), TypeName(fields[i].type));
        if (fields[i].type == TFieldType::ftString)
            xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(stringWidth(*this, i)));
    }
    xml.writeEndElement(); // FIELDS
    xml.writeEmptyElement(QStringLiteral("PARAMS"));
    if (!log.isEmpty())
        xml.writeAttribute(QStringLiteral("CHANGE_LOG"), log);
    xml.writeEndElement(); // METADATA
    xml.writeStartElement(QStringLiteral("ROWDATA"));
    for (const Row &row : rows) {
        xml.writeEmptyElement(QStringLiteral("ROW"));
        if (row.rowState != 0)
            xml.writeAttribute(QStringLiteral("RowState"), QString::number(row.rowState));
        for (size_t i = 0; i < fields.size() && i < row.values.size(); ++i)
            if (row.values[i].isValid() && !row.values[i].isNull())
                xml.writeAttribute(fields[i].name, valueText(fields[i], row.values[i]));
    }
    xml.writeEndElement(); // ROWDATA
    xml.writeEndElement(); // DATAPACKET
    xml.writeEndDocument();
    return out;
}

DataPacket DataPacket::FromDataSet(const TDataSet &dataSet)
{
    DataPacket packet;
    for (const auto &field : dataSet.Fields())
        packet.fields.push_back({field->FieldName(), field->DataType(), field->Size()});
    for (const TRecord &record : dataSet.PostedStore()) {
        if (record.modified && !record.deleted) {
            packet.rows.push_back({record.oldValues, 1, -1, 0});
            const int original = int(packet.rows.size()) - 1;
            packet.rows.push_back({record.values, 8, original, record.changeOrder});
            continue;
        }
        const int state = record.deleted ? 2 : record.origin == TRecordOrigin::Inserted ? 4 : 0;
        packet.rows.push_back({record.values, state, -1, state ? record.changeOrder : 0});
    }
    return packet;
}
