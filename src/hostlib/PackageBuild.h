#pragma once

#include <QString>

// The package's libraries checked against one another: the module and the test interface pass
// the identity they were built with, and the host library compares it with its own and with the
// platform's.
namespace PackageBuild
{

// The identity compiled into lib_dll.so.
const char *Dll();

// The file a function was loaded from, as the dynamic linker found it.
QString FileOf(const void *function);

// Throws an Exception that names the library of another build and the file it was loaded from.
void Confere(const char *moduleBuild);

} // namespace PackageBuild
