#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// A compact one-line JSON object whose keys keep the order they were added in (QJsonObject sorts
// them, which makes the printed lines harder to read).
class JsonLine
{
public:
    JsonLine &AddString(const char *key, const QString &value);
    JsonLine &AddNumber(const char *key, double value); // null for NaN and infinities
    JsonLine &AddInteger(const char *key, qint64 value);
    JsonLine &AddBool(const char *key, bool value);
    JsonLine &AddNull(const char *key);
    JsonLine &AddJson(const char *key, const QByteArray &json); // an already written value

    QByteArray ToJson() const { return '{' + m_body + '}'; }

    static QByteArray String(const QString &value);
    static QByteArray Number(double value);
    // A field's value as a returned packet and a screen dump show it: null for no value and for an
    // empty text, dates as "YYYY-MM-DD", date-times as "YYYY-MM-DDTHH:MM:SS".
    static QByteArray Value(const QVariant &value);
    static QByteArray Array(const QList<QByteArray> &values);

private:
    QByteArray m_body;
};
