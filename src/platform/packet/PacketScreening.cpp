#include "PacketScreening.h"

namespace PacketScreening
{

qsizetype invalidUtf8Offset(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        int extra = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, min = 0x10000;
        } else {
            return i;
        }
        unsigned cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}

// Offset of the first start tag holding more than `max` attributes, -1 when none. Qt's reader
// checks duplicate attributes in quadratic time, so a hostile ROW with tens of thousands of
// attributes would stall it; no genuine element needs more than its fields plus RowState.
// Comments, processing instructions and CDATA sections are skipped whole, so that a quote in them
// hides nothing; a quote opens a value only right after "=", and a "<" ends any value, since no
// well-formed value holds one.
qsizetype overfullTagOffset(const QByteArray &bytes, int max)
{
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    const auto skipTo = [&](qsizetype from, const char *end) {
        const qsizetype at = bytes.indexOf(end, from);
        return at < 0 ? n : at + qsizetype(qstrlen(end)) - 1;
    };
    qsizetype tagStart = -1;
    int equals = 0;
    char quote = 0;
    bool afterEquals = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '<') {
            quote = 0;
            const QByteArrayView rest(p + i, n - i);
            if (rest.startsWith("<!--")) {
                i = skipTo(i + 4, "-->"), tagStart = -1;
            } else if (rest.startsWith("<?")) {
                i = skipTo(i + 2, "?>"), tagStart = -1;
            } else if (rest.startsWith("<![CDATA[")) {
                i = skipTo(i + 9, "]]>"), tagStart = -1;
            } else {
                tagStart = i, equals = 0, afterEquals = false;
            }
        } else if (quote) {
            if (c == quote)
                quote = 0;
        } else if (tagStart < 0) {
            continue;
        } else if ((c == '"' || c == '\'') && afterEquals) {
            quote = c, afterEquals = false;
        } else if (c == '=') {
            afterEquals = true;
            if (++equals > max)
                return tagStart;
        } else if (c == '>') {
            tagStart = -1;
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            afterEquals = false;
        }
    }
    return -1;
}

} // namespace PacketScreening
