#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class DataPacket;

// What the data functions and the entry hand around: nothing (unassigned), a whole data set as
// a data packet, or a text (the error text of a failed read). A packet handed over inside the
// process keeps its structure and is written as XML only when someone asks for the XML.
class Variant
{
public:
    enum class Kind { Unassigned, Packet, Text };

    Variant() = default;
    static Variant fromPacket(QByteArray xml);
    // Normalized on the way in (raises EDatabaseError as writing it would).
    static Variant fromPacket(DataPacket packet);
    static Variant fromText(QString text);

    Kind kind() const { return m_kind; }
    bool isUnassigned() const { return m_kind == Kind::Unassigned; }
    bool isPacket() const { return m_kind == Kind::Packet; }
    bool isText() const { return m_kind == Kind::Text; }

    // The packet's XML (empty unless isPacket()).
    const QByteArray &packet() const;
    // The packet's structure when it was handed over as one, else null.
    const DataPacket *packetData() const;
    // The text (empty unless isText()).
    const QString &text() const { return m_text; }

    bool operator==(const Variant &other) const;

private:
    struct Structured;

    Kind m_kind = Kind::Unassigned;
    QByteArray m_packet;
    std::shared_ptr<Structured> m_structured;
    QString m_text;
};

inline bool VarIsEmpty(const Variant &v)
{
    return v.isUnassigned();
}
