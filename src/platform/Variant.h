#pragma once

#include <QByteArray>
#include <QString>

// What the data functions and the entry hand around: nothing (unassigned), a whole data set as
// an XML data packet, or a text (the error text of a failed read).
class Variant
{
public:
    enum class Kind { Unassigned, Packet, Text };

    Variant() = default;
    static Variant fromPacket(QByteArray xml);
    static Variant fromText(QString text);

    Kind kind() const { return m_kind; }
    bool isUnassigned() const { return m_kind == Kind::Unassigned; }
    bool isPacket() const { return m_kind == Kind::Packet; }
    bool isText() const { return m_kind == Kind::Text; }

    // The packet's XML (empty unless isPacket()).
    const QByteArray &packet() const { return m_packet; }
    // The text (empty unless isText()).
    const QString &text() const { return m_text; }

    bool operator==(const Variant &other) const = default;

private:
    Kind m_kind = Kind::Unassigned;
    QByteArray m_packet;
    QString m_text;
};

inline bool VarIsEmpty(const Variant &v)
{
    return v.isUnassigned();
}
