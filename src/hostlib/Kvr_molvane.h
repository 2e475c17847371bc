#pragma once

#include <QString>
#include <exception>

class TADOConnection;
class Exception;

// Connection helpers of the host library.
namespace Kvr_molvane
{

// Session set-up after a connection opened, per database: locale-free dates and numbers,
// UTF-8 texts, a busy timeout for SQLite (see the .cpp for each database's statements).
void SetADODBSession(TADOConnection *connection);
// Opens a closed connection; true when it is open afterwards. Never raises.
bool TryConnect(TADOConnection *connection);
// The database's message and error code in one readable line (no password ever).
QString ADOExceptionMessage(const std::exception &error, TADOConnection *connection,
                            const QString &context);

} // namespace Kvr_molvane
