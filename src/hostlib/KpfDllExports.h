#pragma once

#include "Mensagemkvr.h"

#include <QString>

// The library side of kpf_dll.h: what the C interface set, as the library's own code reads it.
namespace KpfDll
{

// Hands a message to the host's observer, if one is installed.
void NotifyMessage(const QString &text, TTipoMsg kind);
// True when the host asked for boxes to be acknowledged without an operator.
bool AutoAcknowledge();
// The buffer protocol of the C interface's texts: copies utf8 into buffer, NUL-terminated and cut
// to size bytes, and returns the whole text's length in bytes (NULL/0 to ask).
int CopyOut(const QByteArray &utf8, char *buffer, int size);

} // namespace KpfDll
