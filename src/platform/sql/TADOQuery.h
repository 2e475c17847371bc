#pragma once

#include "TDataSet.h"
#include "TParameters.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class QSqlError;
class QSqlQuery;
class QSqlRecord;
class TADOConnection;

// A read-only query: SQL lines with named placeholders (:P_NAME) bound from Parameters, prepared
// once per SQL text (on PostgreSQL once per Open, see Run). Open fetches every row into the data
// set's records; numeric columns arrive as floats (EnableBCD off). Field definitions may be given
// beforehand (persistent fields, as the data-module definition declares them): the result's columns
// are then matched by name, without case, and converted to the fields' types, so that the fields do
// not depend on what a driver reports (SQLite reports declared types poorly). Otherwise they are
// taken from the result. Open opens the connection when it is closed. When the statement fails
// because the server went away, Open reopens the connection once and runs again; if that fails too,
// the first error is raised and the next Open tries again.
class TADOQuery : public TDataSet
{
    Q_OBJECT

public:
    explicit TADOQuery(QObject *parent = nullptr);
    ~TADOQuery() override;

    TADOConnection *Connection() const { return m_connection; }
    void SetConnection(TADOConnection *connection);
    QStringList &SQL() { return m_sql; }
    const QStringList &SQL() const { return m_sql; }
    TParameters &Parameters() { return m_parameters; }
    bool EnableBCD() const { return m_enableBCD; }
    void SetEnableBCD(bool on) { m_enableBCD = on; }

    void Open() override; // raises EDatabaseError with the driver's text
    void Close() override;

private:
    void Run();          // on PostgreSQL in a transaction of its own
    void RunStatement(); // prepare when needed, bind, execute, fetch
    void EndOwnTransaction();
    QSqlQuery &Statement();
    void Bind(QSqlQuery &query);
    std::vector<int> MapColumns(const QSqlRecord &record);
    std::vector<TRecord> Fetch(QSqlQuery &query, const std::vector<int> &columns) const;
    void ReleaseStatement();
    [[noreturn]] void Fail(const QString &what, const QSqlError &error);

    QPointer<TADOConnection> m_connection;
    QStringList m_sql;
    TParameters m_parameters;
    bool m_enableBCD = true;
    std::unique_ptr<QSqlQuery> m_statement;
    QStringList m_preparedLines;   // the SQL the statement was prepared from
    QStringList m_placeholders;    // of the prepared text, in order of appearance
    QStringList m_bindNames;       // the same with their ':'
    std::vector<int> m_columns;    // result column of each field, for the prepared statement
    bool m_autoFields = false;     // fields taken from the last result, dropped on Close
    bool m_ownTransaction = false; // Run's, open
};
