#include "Kvr_molvane.h"

#include "EADOError.h"
#include "TADOConnection.h"
#include "Trad_utl.h"

#include <QStringList>

namespace Kvr_molvane
{

namespace
{

// Session set-up per Qt driver. The module only reads, so every session is read-only where the
// database lets a session say so without harm to others.
//
// SQLite: wait up to 5 s for a writer's lock instead of failing at once; refuse writes on this
// connection (query_only); enforce foreign keys. Dates are 'YYYY-MM-DD' texts and numbers are
// stored as numbers, so nothing is locale-dependent.
// PostgreSQL: UTF-8 texts; ISO dates (YYYY-MM-DD) whatever the server's DateStyle, two settings
// that PgBouncer gives back to each client. Nothing else is set for the session: behind a pooler
// in transaction mode it would stay on a server connection that other programs get next. The
// module reads in read-only transactions of their own (TADOQuery). Numbers always travel with
// '.', lc_numeric only affects to_char.
// ODBC: nothing that holds for every database behind a data source; the connection asks for the
// login timeout itself, and the data source configures its own session.
// Oracle (QOCI): ISO dates and '.' as decimal separator for the session; read-only transactions
// are per transaction in Oracle, so none is set here.
QStringList SessionStatements(const QString &driver)
{
    if (driver == u"QSQLITE")
        return {QStringLiteral("PRAGMA busy_timeout = 5000"),
                QStringLiteral("PRAGMA query_only = ON"),
                QStringLiteral("PRAGMA foreign_keys = ON")};
    if (driver == u"QPSQL")
        return {QStringLiteral("SET client_encoding TO 'UTF8'"),
                QStringLiteral("SET DateStyle TO 'ISO, YMD'")};
    if (driver == u"QOCI")
        return {QStringLiteral("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'"),
                QStringLiteral("ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'")};
    return {};
}

QString MessageOf(const std::exception &error)
{
    if (const auto *platform = dynamic_cast<const Exception *>(&error))
        return platform->Message();
    return QString::fromUtf8(error.what());
}

} // namespace

void SetADODBSession(TADOConnection *connection)
{
    if (!connection)
        return;
    for (const QString &statement : SessionStatements(connection->DriverName()))
        connection->Execute(statement);
}

bool TryConnect(TADOConnection *connection)
{
    if (!connection)
        return false;
    try {
        connection->SetConnected(true);
        return connection->Connected();
    } catch (...) {
        return false;
    }
}

QString ADOExceptionMessage(const std::exception &error, TADOConnection *connection,
                            const QString &context)
{
    try {
        const bool database = dynamic_cast<const EDatabaseError *>(&error) != nullptr;
        QString text =
            Trad_utl::TradTexto(database ? QT_TRANSLATE_NOOP("Kpf05520", "Erro de banco de dados")
                                         : QT_TRANSLATE_NOOP("Kpf05520", "Erro"));
        if (const auto *ado = dynamic_cast<const EADOError *>(&error);
            ado && !ado->NativeError().isEmpty())
            text +=
                QLatin1Char(' ') + Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "[código %1]"))
                                       .arg(ado->NativeError());
        text += QStringLiteral(": ") + MessageOf(error);
        if (!context.isEmpty())
            text += QStringLiteral(" (%1)").arg(context);
        text = text.simplified();
        return connection ? connection->ScrubSecrets(text) : text;
    } catch (...) {
        return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "Erro de banco de dados"));
    }
}

} // namespace Kvr_molvane
