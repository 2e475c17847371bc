#pragma once

#include <QString>

// General helpers of the host library.
namespace Geralkvr
{

// The connection string the module uses: the one the host set with SetStringConexKvr; else the
// environment variable KPF_CONNECTION; else the embedded SQLite file kpf05520.db in the host
// executable's directory (ParamStr(0)'s directory). The argument is unused ("" by convention).
QString _GetStringConexKvr(const QString &argument);
// Set by the host; an empty text removes the setting.
void SetStringConexKvr(const QString &connectionString);

} // namespace Geralkvr
