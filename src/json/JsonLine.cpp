#include "JsonLine.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>

JsonLine &JsonLine::AddString(const char *key, const QString &value)
{
    return AddJson(key, String(value));
}

JsonLine &JsonLine::AddNumber(const char *key, double value)
{
    return AddJson(key, Number(value));
}

JsonLine &JsonLine::AddInteger(const char *key, qint64 value)
{
    return AddJson(key, QByteArray::number(value));
}

JsonLine &JsonLine::AddBool(const char *key, bool value)
{
    return AddJson(key, value ? "true" : "false");
}

JsonLine &JsonLine::AddNull(const char *key)
{
    return AddJson(key, "null");
}

JsonLine &JsonLine::AddJson(const char *key, const QByteArray &json)
{
    if (!m_body.isEmpty())
        m_body += ',';
    m_body += String(QString::fromUtf8(key)) + ':' + json;
    return *this;
}

QByteArray JsonLine::String(const QString &value)
{
    // Escaped as text first and encoded once, so that surrogate pairs stay whole.
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            out += QLatin1Char('\\') + c;
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7f)
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out.toUtf8();
}

QByteArray JsonLine::Number(double value)
{
    if (!std::isfinite(value))
        return "null";
    // The shortest text that reads back as the same double: 0.29 stays "0.29".
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QByteArray JsonLine::Array(const QList<QByteArray> &values)
{
    return '[' + values.join(',') + ']';
}

QByteArray JsonLine::Value(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return "null";
    switch (value.metaType().id()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isEmpty() ? QByteArray("null") : String(text);
    }
    case QMetaType::QDate:
        return String(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    case QMetaType::QDateTime:
        return String(value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    case QMetaType::Double:
    case QMetaType::Float:
        return Number(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Bool:
        return value.toBool() ? "true" : "false";
    }
    return "null";
}
