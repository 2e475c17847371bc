#pragma once

#include <QByteArray>

// Checks run on a packet's bytes before the XML reader sees them: faults it would report less
// precisely, and input that would make it slow.
namespace PacketScreening
{
// Offset of the first byte that is not part of a well-formed UTF-8 sequence, or -1.
qsizetype invalidUtf8Offset(const QByteArray &bytes);
// Offset of the first start tag holding more than `max` attributes, -1 when none.
qsizetype overfullTagOffset(const QByteArray &bytes, int max);
} // namespace PacketScreening
