#include "DataPacket.h"

#include "Exceptions.h"
#include "PacketScreening.h"
#include "PacketValues.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <limits>

namespace
{

using namespace PacketValues;

// True when the set did not hold the value yet (and now holds it).
bool insertNew(QSet<QString> &set, const QString &value)
{
    const qsizetype before = set.size();
    set.insert(value);
    return set.size() != before;
}

// Writers of the format differ in the case of some FIELD attributes (WIDTH or width); the exact
// name wins when both are present.
QStringView attributeAnyCase(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    if (attributes.hasAttribute(name))
        return attributes.value(name);
    for (const QXmlStreamAttribute &attribute : attributes)
        if (attribute.qualifiedName().compare(name, Qt::CaseInsensitive) == 0)
            return attribute.value();
    return {};
}

class PacketReader
{
public:
    explicit PacketReader(const QByteArray &bytes) : m_bytes(bytes), m_xml(bytes) {}
    DataPacket read();

private:
    [[noreturn]] void fail(const QString &what) const;
    [[noreturn]] void failAt(qint64 line, qint64 column, const QString &what) const;
    [[noreturn]] void failAtOffset(qsizetype offset, const QString &what) const;
    QXmlStreamReader::TokenType next();
    bool nextChild(const QString &parent); // true at a child's start, false at parent's end
    void expectEnd(const QString &element);
    void readRoot();
    void readMetadata();
    void readField();
    void readParams();
    void readRow();
    int fieldOfAttribute(QStringView name, int expected) const;
    QVariant readValue(const DataPacket::FieldDesc &field, QStringView text) const;
    void applyChangeLog();
    void pairWithoutChangeLog();

    const QByteArray &m_bytes;
    QXmlStreamReader m_xml;
    DataPacket m_packet;
    // Exact attribute names; the views point into m_packet.fields, which stays put once read.
    QHash<QStringView, int> m_fieldByName;
    QSet<QString> m_foldedFieldNames; // for the duplicate check, which ignores case
    int m_depth = 0;
    bool m_hasChangeLog = false;
    QString m_changeLog;
    qint64 m_changeLogLine = 0;
    qint64 m_changeLogColumn = 0;
    std::vector<std::pair<qint64, qint64>> m_rowPositions; // line and column of each ROW
};

void PacketReader::fail(const QString &what) const
{
    failAt(m_xml.lineNumber(), m_xml.columnNumber() + 1, what);
}

void PacketReader::failAtOffset(qsizetype offset, const QString &what) const
{
    const QByteArray before = m_bytes.left(offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    failAt(before.count('\n') + 1, offset - lineStart + 1, what);
}

void PacketReader::failAt(qint64 line, qint64 column, const QString &what) const
{
    throw EDatabaseError(QStringLiteral("Pacote de dados inválido (linha %1, coluna %2): %3")
                             .arg(line)
                             .arg(column)
                             .arg(what));
}

QXmlStreamReader::TokenType PacketReader::next()
{
    for (;;) {
        const auto token = m_xml.readNext();
        switch (token) {
        case QXmlStreamReader::Invalid:
            fail(m_xml.errorString());
        case QXmlStreamReader::DTD:
            fail(QStringLiteral("declarações DTD não são permitidas"));
        case QXmlStreamReader::EntityReference:
            fail(QStringLiteral("referência à entidade '%1' não permitida").arg(m_xml.name()));
        case QXmlStreamReader::Characters:
            if (m_xml.isWhitespace() && !m_xml.isCDATA())
                continue;
            fail(QStringLiteral("texto inesperado"));
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            continue;
        case QXmlStreamReader::StartElement:
            if (++m_depth > DataPacket::MaxDepth)
                fail(QStringLiteral("aninhamento acima de %1 níveis").arg(DataPacket::MaxDepth));
            return token;
        case QXmlStreamReader::EndElement:
            --m_depth;
            return token;
        default:
            return token;
        }
    }
}

bool PacketReader::nextChild(const QString &parent)
{
    const auto token = next();
    if (token == QXmlStreamReader::StartElement)
        return true;
    if (token == QXmlStreamReader::EndElement && m_xml.name() == parent)
        return false;
    fail(QStringLiteral("conteúdo inesperado em %1").arg(parent));
}

void PacketReader::expectEnd(const QString &element)
{
    if (next() != QXmlStreamReader::EndElement)
        fail(QStringLiteral("o elemento %1 não pode ter conteúdo").arg(element));
}

DataPacket PacketReader::read()
{
    if (m_bytes.size() > DataPacket::MaxBytes)
        failAt(0, 0,
               QStringLiteral("tamanho acima do limite de %1 bytes").arg(DataPacket::MaxBytes));
    const qsizetype bad = PacketScreening::invalidUtf8Offset(m_bytes);
    if (bad >= 0)
        failAtOffset(bad, QStringLiteral("sequência UTF-8 inválida"));
    const qsizetype overfull =
        PacketScreening::overfullTagOffset(m_bytes, DataPacket::MaxAttributes);
    if (overfull >= 0)
        failAtOffset(
            overfull,
            QStringLiteral("elemento com mais de %1 atributos").arg(DataPacket::MaxAttributes));
    if (next() != QXmlStreamReader::StartDocument)
        fail(QStringLiteral("declaração XML ausente ou documento vazio"));
    const QString encoding = m_xml.documentEncoding().toString();
    if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
        fail(QStringLiteral("codificação '%1' não suportada (use UTF-8)").arg(encoding));
    if (next() != QXmlStreamReader::StartElement || m_xml.name() != QLatin1String("DATAPACKET"))
        fail(QStringLiteral("o elemento raiz deve ser DATAPACKET"));
    readRoot();
    if (next() != QXmlStreamReader::EndDocument)
        fail(QStringLiteral("conteúdo após o fim do pacote"));
    if (m_hasChangeLog)
        applyChangeLog();
    else
        pairWithoutChangeLog();
    return std::move(m_packet);
}

void PacketReader::readRoot()
{
    const auto version = m_xml.attributes().value(QLatin1String("Version"));
    if (version != QLatin1String("2.0"))
        fail(QStringLiteral("versão '%1' não suportada (esperada 2.0)").arg(version));
    if (!nextChild(QStringLiteral("DATAPACKET")) || m_xml.name() != QLatin1String("METADATA"))
        fail(QStringLiteral("METADATA ausente"));
    readMetadata();
    if (!nextChild(QStringLiteral("DATAPACKET")))
        return; // a packet without ROWDATA has no rows
    if (m_xml.name() != QLatin1String("ROWDATA"))
        fail(QStringLiteral("elemento inesperado %1").arg(m_xml.name()));
    while (nextChild(QStringLiteral("ROWDATA"))) {
        if (m_xml.name() != QLatin1String("ROW"))
            fail(QStringLiteral("elemento inesperado %1 em ROWDATA").arg(m_xml.name()));
        readRow();
    }
    if (nextChild(QStringLiteral("DATAPACKET")))
        fail(QStringLiteral("elemento inesperado %1").arg(m_xml.name()));
}

void PacketReader::readMetadata()
{
    if (!nextChild(QStringLiteral("METADATA")) || m_xml.name() != QLatin1String("FIELDS"))
        fail(QStringLiteral("FIELDS ausente"));
    while (nextChild(QStringLiteral("FIELDS"))) {
        if (m_xml.name() != QLatin1String("FIELD"))
            fail(QStringLiteral("elemento inesperado %1 em FIELDS").arg(m_xml.name()));
        readField();
    }
    for (size_t i = 0; i < m_packet.fields.size(); ++i)
        m_fieldByName.insert(m_packet.fields[i].name, int(i));
    if (!nextChild(QStringLiteral("METADATA")))
        return;
    if (m_xml.name() != QLatin1String("PARAMS"))
        fail(QStringLiteral("elemento inesperado %1 em METADATA").arg(m_xml.name()));
    readParams();
    if (nextChild(QStringLiteral("METADATA")))
        fail(QStringLiteral("elemento inesperado %1 em METADATA").arg(m_xml.name()));
}

void PacketReader::readField()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    DataPacket::FieldDesc field;
    field.name = attributes.value(QLatin1String("attrname")).toString();
    const QString typeName = attributes.value(QLatin1String("fieldtype")).toString();
    if (field.name.isEmpty())
        fail(QStringLiteral("FIELD sem attrname"));
    if (!DataPacket::IsFieldName(field.name))
        fail(QStringLiteral("nome de campo '%1' inválido").arg(field.name.left(80)));
    if (field.name == QLatin1String("RowState") ||
        !insertNew(m_foldedFieldNames, field.name.toCaseFolded()))
        fail(QStringLiteral("nome de campo duplicado '%1'").arg(field.name));
    const std::optional<TFieldType> type = FieldTypes::FromPacketName(typeName);
    if (!type)
        fail(QStringLiteral("tipo '%1' desconhecido no campo '%2'").arg(typeName, field.name));
    field.type = *type;
    if (field.type == TFieldType::ftString) {
        qint64 width = 0;
        const bool unicode =
            typeName.compare(QLatin1String("string.uni"), Qt::CaseInsensitive) == 0;
        if (!parseDecimalInt(attributeAnyCase(attributes, QLatin1String("WIDTH")), width) ||
            width < 1 || width > DataPacket::MaxWidth * (unicode ? 2 : 1) ||
            (unicode && width % 2 != 0))
            fail(QStringLiteral("WIDTH ausente ou inválido no campo '%1'").arg(field.name));
        field.size = int(unicode ? width / 2 : width);
    }
    m_packet.fields.push_back(field);
    expectEnd(QStringLiteral("FIELD"));
}

void PacketReader::readParams()
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    if (attributes.hasAttribute(QLatin1String("CHANGE_LOG"))) {
        m_hasChangeLog = true;
        m_changeLog = attributes.value(QLatin1String("CHANGE_LOG")).toString();
        m_changeLogLine = m_xml.lineNumber();
        m_changeLogColumn = m_xml.columnNumber() + 1;
    }
    expectEnd(QStringLiteral("PARAMS"));
}

void PacketReader::readRow()
{
    DataPacket::Row row;
    row.values.resize(m_packet.fields.size());
    int expected = 0; // rows written by a writer hold their fields in order
    for (const QXmlStreamAttribute &attribute : m_xml.attributes()) {
        const QStringView name = attribute.qualifiedName();
        const QStringView text = attribute.value();
        if (name == QLatin1String("RowState")) {
            qint64 state = -1;
            if (!parseDecimalInt(text, state) ||
                !(state == 0 || state == 1 || state == 2 || state == 4 || state == 8))
                fail(QStringLiteral("RowState '%1' inválido").arg(text));
            row.rowState = int(state);
            continue;
        }
        const int index = fieldOfAttribute(name, expected);
        if (index < 0)
            fail(QStringLiteral("atributo '%1' não corresponde a nenhum campo").arg(name));
        row.values[size_t(index)] = readValue(m_packet.fields[size_t(index)], text);
        expected = index + 1;
    }
    m_packet.rows.push_back(std::move(row));
    m_rowPositions.emplace_back(m_xml.lineNumber(), m_xml.columnNumber() + 1);
    expectEnd(QStringLiteral("ROW"));
}

int PacketReader::fieldOfAttribute(QStringView name, int expected) const
{
    if (size_t(expected) < m_packet.fields.size() && m_packet.fields[size_t(expected)].name == name)
        return expected;
    return m_fieldByName.value(name, -1);
}

QVariant PacketReader::readValue(const DataPacket::FieldDesc &field, QStringView text) const
{
    const auto bad = [&]() {
        fail(QStringLiteral("valor '%1' inválido no campo '%2'").arg(text.left(80), field.name));
    };
    switch (field.type) {
    case TFieldType::ftString:
        if (text.size() > field.size)
            fail(QStringLiteral("valor com %1 caracteres no campo '%2' de WIDTH %3")
                     .arg(text.size())
                     .arg(field.name)
                     .arg(field.size));
        return text.toString();
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
        QDate date;
        QTime time;
        bool hasTime = false;
        if (!parseStamp(text, date, time, hasTime) || (field.type == TFieldType::ftDate && hasTime))
            bad();
        if (field.type == TFieldType::ftDate)
            return date;
        return QDateTime(date, time, Qt::UTC);
    }
    case TFieldType::ftFloat: {
        double value = 0;
        if (!parseDecimalFloat(text, value))
            bad();
        return value;
    }
    case TFieldType::ftInteger: {
        qint64 value = 0;
        if (!parseDecimalInt(text, value) || value < std::numeric_limits<int>::min() ||
            value > std::numeric_limits<int>::max())
            bad();
        return int(value);
    }
    case TFieldType::ftBoolean:
        if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
            return false;
        bad();
    }
    bad();
    return QVariant();
}

void PacketReader::applyChangeLog()
{
    const auto failLog = [&](const QString &what) {
        failAt(m_changeLogLine, m_changeLogColumn, QStringLiteral("CHANGE_LOG: %1").arg(what));
    };
    const QStringList items =
        m_changeLog.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (items.size() % 3 != 0)
        failLog(QStringLiteral("o número de valores não é múltiplo de 3"));
    auto &rows = m_packet.rows;
    const qint64 count = qint64(rows.size());
    std::vector<bool> logged(rows.size(), false);
    for (qsizetype i = 0; i < items.size(); i += 3) {
        qint64 pos = 0, original = 0, kind = 0;
        if (!parseDecimalInt(items[i], pos) || !parseDecimalInt(items[i + 1], original) ||
            !parseDecimalInt(items[i + 2], kind) || pos < 1 || pos > count || original < 0 ||
            original > count)
            failLog(QStringLiteral("posição inválida no item %1").arg(i / 3 + 1));
        DataPacket::Row &row = rows[size_t(pos - 1)];
        // A deletion may name the row itself as its original (n n 2), as TBufDataset writes it.
        const bool originalOk = kind == 8
                                    ? original >= 1 && rows[size_t(original - 1)].rowState == 1 &&
                                          !logged[size_t(original - 1)]
                                    : original == 0 || (kind == 2 && original == pos);
        if (row.rowState != kind || (kind != 2 && kind != 4 && kind != 8) ||
            logged[size_t(pos - 1)] || !originalOk)
            failLog(QStringLiteral("o item %1 não corresponde às linhas").arg(i / 3 + 1));
        logged[size_t(pos - 1)] = true;
        if (kind == 8) {
            logged[size_t(original - 1)] = true;
            row.originalRow = int(original - 1);
        }
        row.changeOrder = quint64(i / 3 + 1);
    }
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].rowState != 0 && !logged[r])
            failLog(QStringLiteral("a linha %1 (RowState %2) não consta no registro de alterações")
                        .arg(r + 1)
                        .arg(rows[r].rowState));
}

void PacketReader::pairWithoutChangeLog()
{
    auto &rows = m_packet.rows;
    for (size_t r = 0; r < rows.size(); ++r) {
        const bool paired = rows[r].rowState == 1 ? r + 1 < rows.size() && rows[r + 1].rowState == 8
                            : rows[r].rowState == 8 ? r > 0 && rows[r - 1].rowState == 1
                                                    : true;
        if (!paired)
            failAt(m_rowPositions[r].first, m_rowPositions[r].second,
                   QStringLiteral("a linha %1 (RowState %2) não tem par de alteração")
                       .arg(r + 1)
                       .arg(rows[r].rowState));
        if (rows[r].rowState == 8)
            rows[r].originalRow = int(r - 1);
        if (rows[r].rowState != 0 && rows[r].rowState != 1)
            rows[r].changeOrder = quint64(r + 1);
    }
}

} // namespace

DataPacket DataPacket::Parse(const QByteArray &xml)
{
    return PacketReader(xml).read();
}
