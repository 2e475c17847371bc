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

} // namespace KpfDll
