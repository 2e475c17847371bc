#pragma once

#include "Mensagemkvr.h"
#include "kpf_dll.h"

#include <QString>

// What the host set through the C face about the boxes the library shows: the observer that hears
// of each message, and whether boxes are acknowledged without an operator. The library's own code
// reads it here; KpfDllExports.cpp only sets it.
namespace KpfDll
{

void SetMessageObserver(KpfDll_MessageCallback callback, void *context);
void SetAutoAcknowledge(bool on);

// Hands a message to the host's observer, if one is installed.
void NotifyMessage(const QString &text, TTipoMsg kind);
// True when the host asked for boxes to be acknowledged without an operator.
bool AutoAcknowledge();

} // namespace KpfDll
