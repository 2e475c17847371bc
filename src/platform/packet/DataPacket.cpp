#include "DataPacket.h"

#include "Exceptions.h"
#include "PacketValues.h"
#include "SysUtils.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

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

QDate checkedDate(const QDate &date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw EDatabaseError(QStringLiteral("Data fora do intervalo do pacote de dados"));
    return date;
}

// A value as reading the packet's XML gives it back (null as an invalid QVariant), or the
// EDatabaseError of a value that no packet can carry.
QVariant canonicalValue(const DataPacket::FieldDesc &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    const int type = value.typeId();
    switch (field.type) {
    case TFieldType::ftString: {
        if (type == QMetaType::QString) {
            if (!isXmlText(*static_cast<const QString *>(value.constData())))
                break;
            return value;
        }
        QString text = value.toString();
        if (!isXmlText(text))
            throw EDatabaseError(
                QStringLiteral("O campo '%1' contém um caractere que o pacote de dados não admite")
                    .arg(field.name));
        return text;
    }
    case TFieldType::ftDate:
        return checkedDate(type == QMetaType::QDateTime ? value.toDateTime().date()
                                                        : value.toDate());
    case TFieldType::ftDateTime: {
        // The wall-clock time travels; no time zone conversion on either side.
        if (type == QMetaType::QDate)
            return QDateTime(checkedDate(value.toDate()), QTime(0, 0), Qt::UTC);
        const QDateTime dt = value.toDateTime();
        if (dt.timeSpec() == Qt::UTC) {
            checkedDate(dt.date());
            return value;
        }
        return QDateTime(checkedDate(dt.date()), dt.time(), Qt::UTC);
    }
    case TFieldType::ftFloat: {
        const double d = value.toDouble();
        if (type == QMetaType::Double && std::isfinite(d))
            return value;
        if (!std::isfinite(d))
            throw EDatabaseError(
                QStringLiteral("O campo '%1' contém um número inválido").arg(field.name));
        return d;
    }
    case TFieldType::ftInteger: {
        const qlonglong n = value.toLongLong();
        if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            throw EDatabaseError(
                QStringLiteral("O campo '%1' contém um inteiro fora do intervalo").arg(field.name));
        return int(n);
    }
    case TFieldType::ftBoolean:
        return value.toBool();
    }
    throw EDatabaseError(
        QStringLiteral("O campo '%1' contém um caractere que o pacote de dados não admite")
            .arg(field.name));
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
    const DataPacket::FieldFinder finder(packet);
    for (size_t i = 0; i < packet.fields.size(); ++i) {
        const QString &name = packet.fields[i].name;
        if (!DataPacket::IsFieldName(name) || name == QLatin1String("RowState") ||
            finder.IndexOf(name) != int(i))
            throw EDatabaseError(
                QStringLiteral("O nome de campo '%1' não pode ir num pacote de dados").arg(name));
    }
}

struct ChangeEntry {
    quint64 order;
    size_t row;
    int original; // 1-based row of a modified row's original, else 0
    int kind;
};

// The changes in the order they were made, with a modified row's original checked.
std::vector<ChangeEntry> changeLog(const DataPacket &packet)
{
    std::vector<ChangeEntry> entries;
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
                     [](const ChangeEntry &a, const ChangeEntry &b) { return a.order < b.order; });
    return entries;
}

// One "row original kind" triple per change.
QByteArray changeLogText(const std::vector<ChangeEntry> &entries)
{
    QByteArray text;
    for (const ChangeEntry &e : entries) {
        if (!text.isEmpty())
            text += ' ';
        text += QByteArray::number(qulonglong(e.row + 1)) + ' ' + QByteArray::number(e.original) +
                ' ' + QByteArray::number(e.kind);
    }
    return text;
}

void newLine(QByteArray &out, int depth)
{
    static const char indent[] = "\n            "; // up to three levels of four spaces
    out.append(indent, 1 + depth * 4);
}

} // namespace

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

DataPacket::FieldFinder::FieldFinder(const DataPacket &packet) : m_packet(packet)
{
    if (packet.fields.size() <= 16)
        return;
    m_byFoldedName.reserve(qsizetype(packet.fields.size()));
    for (size_t i = packet.fields.size(); i-- > 0;)
        m_byFoldedName.insert(packet.fields[i].name.toCaseFolded(), int(i));
}

int DataPacket::FieldFinder::IndexOf(const QString &name) const
{
    if (m_byFoldedName.isEmpty())
        return m_packet.FieldIndex(name);
    return m_byFoldedName.value(name.toCaseFolded(), -1);
}

int DataPacket::FieldIndex(const QString &name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (SameText(fields[i].name, name))
            return int(i);
    return -1;
}

// Written by hand in the layout of Qt's auto-formatting stream writer: going through
// QXmlStreamWriter encoded every call on its own and made writing cost more than reading.
QByteArray DataPacket::ToXml() const
{
    checkFields(*this);
    const QByteArray log = changeLogText(changeLog(*this));
    QByteArray out;
    out.reserve(qsizetype(256 + fields.size() * 64 + rows.size() * (16 + fields.size() * 24)));
    out += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
    newLine(out, 0);
    out += R"(<DATAPACKET Version="2.0">)";
    newLine(out, 1);
    out += "<METADATA>";
    AppendFields(out);
    newLine(out, 2);
    out += log.isEmpty() ? QByteArray("<PARAMS/>") : R"(<PARAMS CHANGE_LOG=")" + log + R"("/>)";
    newLine(out, 1);
    out += "</METADATA>";
    AppendRows(out);
    newLine(out, 0);
    out += "</DATAPACKET>\n";
    return out;
}

void DataPacket::AppendFields(QByteArray &out) const
{
    newLine(out, 2);
    if (fields.empty()) {
        out += "<FIELDS/>";
        return;
    }
    out += "<FIELDS>";
    for (size_t i = 0; i < fields.size(); ++i) {
        newLine(out, 3);
        out += R"(<FIELD attrname=")" + fields[i].name.toUtf8() + R"(" fieldtype=")" +
               FieldTypes::PacketName(fields[i].type).toLatin1() + '"';
        if (fields[i].type == TFieldType::ftString)
            out += R"( WIDTH=")" + QByteArray::number(stringWidth(*this, i)) + '"';
        out += "/>";
    }
    newLine(out, 2);
    out += "</FIELDS>";
}

void DataPacket::AppendRows(QByteArray &out) const
{
    newLine(out, 1);
    if (rows.empty()) {
        out += "<ROWDATA/>";
        return;
    }
    out += "<ROWDATA>";
    std::vector<QByteArray> names; // ' NAME="' once per field
    for (const FieldDesc &field : fields)
        names.push_back(' ' + field.name.toUtf8() + "=\"");
    for (const Row &row : rows) {
        newLine(out, 2);
        out += "<ROW";
        if (row.rowState != 0)
            out += R"( RowState=")" + QByteArray::number(row.rowState) + '"';
        for (size_t i = 0; i < fields.size() && i < row.values.size(); ++i) {
            const QVariant value = canonicalValue(fields[i], row.values[i]);
            if (!value.isValid())
                continue;
            out += names[i];
            PacketValues::appendValue(out, fields[i].type, value);
            out += '"';
        }
        out += "/>";
    }
    newLine(out, 1);
    out += "</ROWDATA>";
}

void DataPacket::Normalize()
{
    checkFields(*this);
    const std::vector<ChangeEntry> log = changeLog(*this);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].type == TFieldType::ftString)
            fields[i].size = stringWidth(*this, i);
        else
            fields[i].size = 0;
    for (Row &row : rows) {
        row.values.resize(fields.size());
        for (size_t i = 0; i < fields.size(); ++i)
            row.values[i] = canonicalValue(fields[i], row.values[i]);
        row.changeOrder = 0;
    }
    quint64 order = 0;
    for (const ChangeEntry &e : log) {
        rows[e.row].changeOrder = ++order;
        if (e.kind == 8)
            rows[e.row].originalRow = e.original - 1;
    }
}
