#include "Variant.h"

#include "DataPacket.h"

#include <optional>

// Shared by the copies of one Variant, so the XML is written at most once.
struct Variant::Structured {
    DataPacket packet;
    std::optional<QByteArray> xml;
};

Variant Variant::fromPacket(QByteArray xml)
{
    Variant v;
    v.m_kind = Kind::Packet;
    v.m_packet = std::move(xml);
    return v;
}

Variant Variant::fromPacket(DataPacket packet)
{
    packet.Normalize();
    Variant v;
    v.m_kind = Kind::Packet;
    v.m_structured = std::make_shared<Structured>(Structured{std::move(packet), std::nullopt});
    return v;
}

Variant Variant::fromText(QString text)
{
    Variant v;
    v.m_kind = Kind::Text;
    v.m_text = std::move(text);
    return v;
}

const QByteArray &Variant::packet() const
{
    if (!m_structured)
        return m_packet;
    if (!m_structured->xml)
        m_structured->xml = m_structured->packet.ToXml();
    return *m_structured->xml;
}

const DataPacket *Variant::packetData() const
{
    return m_structured ? &m_structured->packet : nullptr;
}

bool Variant::operator==(const Variant &other) const
{
    return m_kind == other.m_kind && packet() == other.packet() && m_text == other.m_text;
}
