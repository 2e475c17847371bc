// The XML packet reader: any bytes either give a packet or an EDatabaseError, and a packet that
// was read writes itself back to a text that reads again to the very same packet.
#include "DataPacket.h"
#include "Exceptions.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    DataPacket packet;
    try {
        packet = DataPacket::Parse(xml);
    } catch (const EDatabaseError &) {
        return 0;
    }
    const QByteArray written = packet.ToXml();
    try {
        const QByteArray again = DataPacket::Parse(written).ToXml();
        if (again != written) {
            std::fprintf(stderr, "packet changed on a round trip:\n%s\n---\n%s\n",
                         written.constData(), again.constData());
            std::abort();
        }
    } catch (const EDatabaseError &error) {
        std::fprintf(stderr, "the reader refuses what the writer wrote: %s\n%s\n", error.what(),
                     written.constData());
        std::abort();
    }
    return 0;
}
