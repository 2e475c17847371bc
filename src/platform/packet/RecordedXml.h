#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamAttributes>

#include <memory>
#include <vector>

// An XML document read once with QXmlStreamReader and kept as its elements and texts, so that
// what is built from it can be built again without parsing. A Cursor replays it with the part of
// QXmlStreamReader's interface a reader of definitions needs, with the same positions and, where
// the document is malformed, the same error at the same place.
class RecordedXml
{
    enum class Kind { Start, End, Text, Error };
    struct Token {
        Kind kind = Kind::Error;
        QString name; // the element's, or the error text
        QXmlStreamAttributes attributes;
        QString text;
        qint64 line = 1;
        qint64 column = 0;
    };

public:
    // The document of those bytes, recorded once per path and shared while the bytes are the same.
    static std::shared_ptr<const RecordedXml> Shared(const QString &path, const QByteArray &xml);

    explicit RecordedXml(const QByteArray &xml);
    const QByteArray &Source() const { return m_source; }

    class Cursor
    {
    public:
        explicit Cursor(std::shared_ptr<const RecordedXml> document)
            : m_document(std::move(document))
        {
        }

        bool readNextStartElement();
        void skipCurrentElement();
        QString readElementText();
        QStringView name() const { return Current().name; }
        const QXmlStreamAttributes &attributes() const { return Current().attributes; }
        qint64 lineNumber() const { return m_line; }
        qint64 columnNumber() const { return m_column; }
        bool hasError() const { return !m_error.isEmpty(); }
        QString errorString() const { return m_error; }

    private:
        const Token &Current() const;
        bool Next(); // false at the end or on an error

        std::shared_ptr<const RecordedXml> m_document;
        std::size_t m_next = 0;
        qint64 m_line = 1;
        qint64 m_column = 0;
        QString m_error;
    };

private:
    QByteArray m_source;
    std::vector<Token> m_tokens;
};
