#include "ResultPacket.h"

#include "JsonLine.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>
#include <cmath>

namespace
{

struct Fault {
    QString text;
};

// Reads the fixed shape DATAPACKET / METADATA (FIELDS, PARAMS) / ROWDATA element by element, so
// that a hostile document never gets deeper than four levels.
class Reader
{
public:
    explicit Reader(const QByteArray &xml) : m_xml(xml) {}

    ResultPacket Read()
    {
        expectStart("DATAPACKET");
        expectStart("METADATA");
        expectStart("FIELDS");
        while (nextElement("FIELD"))
            readField();
        if (nextElement("PARAMS")) {
            skipEmpty();
            expectEnd();
        }
        expectStart("ROWDATA");
        while (nextElement("ROW"))
            readRow();
        expectEnd(); // DATAPACKET
        if (next() != QXmlStreamReader::EndDocument)
            fail(QCoreApplication::translate("kpfhost", "texto após o fim de DATAPACKET"));
        return std::move(m_packet);
    }

    [[noreturn]] void fail(const QString &why) const
    {
        throw Fault{QStringLiteral("line %1, column %2: %3")
                        .arg(m_xml.lineNumber())
                        .arg(m_xml.columnNumber())
                        .arg(why)};
    }

private:
    // The next element start or end; comments, processing instructions and blanks between tags
    // are passed over, anything else is refused.
    QXmlStreamReader::TokenType next()
    {
        for (;;) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartDocument:
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                continue;
            case QXmlStreamReader::Characters:
                if (m_xml.isWhitespace())
                    continue;
                fail(QCoreApplication::translate("kpfhost", "texto onde só cabem elementos"));
            case QXmlStreamReader::StartElement:
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return m_xml.tokenType();
            case QXmlStreamReader::Invalid:
                fail(m_xml.errorString());
            case QXmlStreamReader::DTD:
            case QXmlStreamReader::EntityReference:
            case QXmlStreamReader::NoToken:
                fail(QCoreApplication::translate(
                    "kpfhost", "um tipo de documento ou uma entidade, que um pacote nunca contém"));
            }
        }
    }

    void expectStart(const char *name)
    {
        if (next() != QXmlStreamReader::StartElement || m_xml.name() != QLatin1String(name))
            fail(QStringLiteral("<%1> expected").arg(QLatin1String(name)));
    }

    void expectEnd()
    {
        if (next() != QXmlStreamReader::EndElement)
            fail(QStringLiteral("</%1> expected").arg(m_xml.name()));
    }

    // True at the start of another `name`; false at the end of the enclosing element.
    bool nextElement(const char *name)
    {
        const auto token = next();
        if (token == QXmlStreamReader::EndElement)
            return false;
        if (token != QXmlStreamReader::StartElement || m_xml.name() != QLatin1String(name))
            fail(QStringLiteral("<%1> expected").arg(QLatin1String(name)));
        return true;
    }

    void skipEmpty()
    {
        if (next() != QXmlStreamReader::EndElement)
            fail(QCoreApplication::translate("kpfhost", "<%1> contém algo").arg(m_xml.name()));
    }

    void readField()
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        ResultPacket::Field field{attributes.value(QLatin1String("attrname")).toString(),
                                  attributes.value(QLatin1String("fieldtype")).toString()};
        if (field.name.isEmpty())
            fail(QCoreApplication::translate("kpfhost", "um FIELD sem attrname"));
        if (!known(field))
            fail(QCoreApplication::translate("kpfhost",
                                             "o campo %1 tem o tipo '%2', que este host não lê")
                     .arg(field.name, field.type));
        if (!m_index.contains(field.name.toLower()))
            m_index.insert(field.name.toLower(), int(m_packet.fields.size()));
        else
            fail(QCoreApplication::translate("kpfhost", "o campo %1 é descrito duas vezes")
                     .arg(field.name));
        m_packet.fields.push_back(std::move(field));
        skipEmpty();
    }

    void readRow()
    {
        ResultPacket::Row row;
        row.values.resize(m_packet.fields.size());
        for (const QXmlStreamAttribute &attribute : m_xml.attributes()) {
            const QString name = attribute.name().toString();
            if (name == QLatin1String("RowState")) {
                bool ok = false;
                row.rowState = attribute.value().toInt(&ok);
                if (!ok || row.rowState < 0 || row.rowState > 15)
                    fail(QCoreApplication::translate(
                             "kpfhost", "RowState '%1' não é uma combinação dos bits 1, 2, 4 e 8")
                             .arg(attribute.value()));
                continue;
            }
            const int index = m_index.value(name.toLower(), -1);
            if (index < 0)
                fail(QCoreApplication::translate("kpfhost",
                                                 "um atributo %1 de ROW que nenhum FIELD descreve")
                         .arg(name));
            row.values[size_t(index)] =
                value(m_packet.fields[size_t(index)], attribute.value().toString());
        }
        m_packet.rows.push_back(std::move(row));
        skipEmpty();
    }

    QVariant value(const ResultPacket::Field &field, const QString &text) const
    {
        const QString type = field.type.toLower();
        QVariant result;
        if (type.startsWith(QLatin1String("string")))
            result = text;
        else if (type == QLatin1String("date"))
            result = date(text);
        else if (type == QLatin1String("datetime"))
            result = dateTime(text);
        else if (ResultPacket::IsNumber(field))
            result = number(type, text);
        else // boolean, the one type left
            result = text == QLatin1String("TRUE")    ? QVariant(true)
                     : text == QLatin1String("FALSE") ? QVariant(false)
                                                      : QVariant();
        if (!result.isValid())
            fail(QCoreApplication::translate("kpfhost",
                                             "'%1' não é um valor do campo %3, do tipo %2")
                     .arg(text, field.type, field.name));
        return result;
    }

    static bool known(const ResultPacket::Field &field)
    {
        const QString type = field.type.toLower();
        return type.startsWith(QLatin1String("string")) || type == QLatin1String("date") ||
               type == QLatin1String("datetime") || type == QLatin1String("boolean") ||
               ResultPacket::IsNumber(field);
    }

    static QVariant date(const QString &text)
    {
        const QDate day = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
        return day.isValid() ? QVariant(day) : QVariant();
    }

    // "YYYYMMDDTHH:MM:SSmmm", or the date alone for midnight; no time zone, so UTC stands for none.
    static QVariant dateTime(const QString &text)
    {
        const QDate day = QDate::fromString(text.left(8), QStringLiteral("yyyyMMdd"));
        const QTime time = text.size() == 8 ? QTime(0, 0)
                           : text.mid(8, 1) == QLatin1String("T")
                               ? QTime::fromString(text.mid(9), QStringLiteral("HH:mm:sszzz"))
                               : QTime();
        return day.isValid() && time.isValid() ? QVariant(QDateTime(day, time, Qt::UTC))
                                               : QVariant();
    }

    static QVariant number(const QString &type, const QString &text)
    {
        bool ok = false;
        if (type == QLatin1String("r8") || type == QLatin1String("fixed")) {
            const double value = text.toDouble(&ok);
            return ok && std::isfinite(value) ? QVariant(value) : QVariant();
        }
        const qint64 value = text.toLongLong(&ok);
        return ok ? QVariant(value) : QVariant();
    }

    QXmlStreamReader m_xml;
    ResultPacket m_packet;
    QHash<QString, int> m_index; // lower-case field name -> position
};

} // namespace

std::optional<ResultPacket> ResultPacket::Parse(const QByteArray &xml, QString *error)
{
    Reader reader(xml);
    try {
        return reader.Read();
    } catch (const Fault &fault) {
        *error = fault.text;
        return std::nullopt;
    }
}

QList<QByteArray> ResultPacket::JsonRows() const
{
    QList<QByteArray> lines;
    for (const Row &row : rows) {
        JsonLine line;
        for (size_t i = 0; i < fields.size(); ++i) {
            const QByteArray name = fields[i].name.toUtf8();
            line.AddJson(name.constData(), JsonLine::Value(row.values[i]));
        }
        line.AddString("rowState", RowStateName(row.rowState));
        lines.append(line.ToJson());
    }
    return lines;
}

bool ResultPacket::IsDate(const Field &field)
{
    return field.type.compare(QLatin1String("date"), Qt::CaseInsensitive) == 0;
}

bool ResultPacket::IsNumber(const Field &field)
{
    static const QStringList numbers{QStringLiteral("r8"), QStringLiteral("fixed"),
                                     QStringLiteral("i2"), QStringLiteral("i4"),
                                     QStringLiteral("i8")};
    return numbers.contains(field.type.toLower());
}

QString ResultPacket::RowStateName(int rowState)
{
    if (rowState & 2)
        return QStringLiteral("deleted");
    if (rowState & 4)
        return QStringLiteral("inserted");
    if (rowState & 8)
        return QStringLiteral("modified");
    return QStringLiteral("original");
}
