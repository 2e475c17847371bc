#pragma once

// The package's libraries checked against one another: the module passes the identity it was
// built with, and the host library compares it with its own and with the platform's.
namespace PackageBuild
{

// The identity compiled into lib_dll.so.
const char *Dll();

// Throws an Exception that names the library of another build and the file it was loaded from.
void Confere(const char *moduleBuild);

} // namespace PackageBuild
