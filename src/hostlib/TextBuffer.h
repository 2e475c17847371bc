#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace KpfDll
{

// The buffer rule of the host library's and the test interface's C faces: copies utf8 into
// buffer, NUL-terminated and cut to size bytes, and returns the whole text's length in bytes
// without the NUL (NULL/0 to ask).
inline int CopyOut(const QByteArray &utf8, char *buffer, int size)
{
    if (buffer && size > 0) {
        const int copied = std::min<int>(size - 1, int(utf8.size()));
        std::memcpy(buffer, utf8.constData(), size_t(copied));
        buffer[copied] = '\0';
    }
    return int(utf8.size());
}

} // namespace KpfDll
