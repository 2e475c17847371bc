#include "Variant.h"

Variant Variant::fromPacket(QByteArray xml)
{
    Variant v;
    v.m_kind = Kind::Packet;
    v.m_packet = std::move(xml);
    return v;
}

Variant Variant::fromText(QString text)
{
    Variant v;
    v.m_kind = Kind::Text;
    v.m_text = std::move(text);
    return v;
}
