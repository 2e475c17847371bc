#include "RecordedXml.h"

#include <QCoreApplication>
#include <QHash>
#include <QXmlStreamReader>

std::shared_ptr<const RecordedXml> RecordedXml::Shared(const QString &path, const QByteArray &xml)
{
    // Only the user-interface thread builds components, so the cache needs no lock.
    static QHash<QString, std::shared_ptr<const RecordedXml>> recorded;
    std::shared_ptr<const RecordedXml> &document = recorded[path];
    if (!document || document->Source() != xml)
        document = std::make_shared<const RecordedXml>(xml);
    return document;
}

RecordedXml::RecordedXml(const QByteArray &xml) : m_source(xml)
{
    QXmlStreamReader reader(xml);
    const auto add = [&](Kind kind, QString name, QXmlStreamAttributes attributes, QString text) {
        m_tokens.push_back({kind, std::move(name), std::move(attributes), std::move(text),
                            reader.lineNumber(), reader.columnNumber()});
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            add(Kind::Start, reader.name().toString(), reader.attributes(), {});
            break;
        case QXmlStreamReader::EndElement:
            add(Kind::End, {}, {}, {});
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            add(Kind::Text, {}, {}, reader.text().toString());
            break;
        default: // declarations, comments and processing instructions build nothing
            break;
        }
    }
    if (reader.hasError())
        add(Kind::Error, reader.errorString(), {}, {});
}

const RecordedXml::Token &RecordedXml::Cursor::Current() const
{
    static const Token none{};
    if (m_next == 0 || m_next > m_document->m_tokens.size())
        return none;
    return m_document->m_tokens[m_next - 1];
}

bool RecordedXml::Cursor::Next()
{
    if (hasError() || m_next >= m_document->m_tokens.size())
        return false;
    const Token &token = m_document->m_tokens[m_next++];
    m_line = token.line;
    m_column = token.column;
    if (token.kind == Kind::Error) {
        m_error = token.name;
        return false;
    }
    return true;
}

bool RecordedXml::Cursor::readNextStartElement()
{
    while (Next()) {
        const Kind kind = Current().kind;
        if (kind == Kind::Start)
            return true;
        if (kind == Kind::End)
            return false;
    }
    return false;
}

void RecordedXml::Cursor::skipCurrentElement()
{
    int depth = 1;
    while (depth > 0 && Next()) {
        const Kind kind = Current().kind;
        depth += kind == Kind::Start ? 1 : kind == Kind::End ? -1 : 0;
    }
}

QString RecordedXml::Cursor::readElementText()
{
    QString text;
    while (Next()) {
        const Token &token = Current();
        if (token.kind == Kind::End)
            break;
        if (token.kind == Kind::Start) {
            m_error = QCoreApplication::translate("QXmlStream", "Expected character data.");
            break;
        }
        text += token.text;
    }
    return text;
}
