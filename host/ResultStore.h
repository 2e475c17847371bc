#pragma once

#include "ResultPacket.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

class QSqlDatabase;
class QSqlQuery;

// Stores what the operator confirmed: applies the change log of a returned packet to IMPOSTOREDZ
// in one transaction on a connection of its own (the module's is read-only), opened by the
// module's rule for a busy or starting server (tried again for about five seconds). Columns are the
// packet's fields, by name. Inserted lines are inserted; deleted lines are deleted by all their
// columns, each deletion matching exactly one stored row; unchanged originals are left alone. Any
// failure rolls everything back. Values only ever travel as bound parameters. This is the worked
// example of applying the change log that the README gives host engineers.
class ResultStore
{
public:
    struct Outcome {
        bool ok = false;
        // Not ok, and nobody knows whether the transaction was applied: COMMIT was sent and the
        // connection was lost before its answer came.
        bool unknown = false;
        // Not ok, and a later try may store it: the server was busy or went away before COMMIT
        // (or its answer was lost), so the result is worth keeping.
        bool kept = false;
        bool alreadyStored = false; // ok, and Replay found it stored before
        int inserted = 0;
        int deleted = 0;
        QString error; // why, when not ok; never holds the password
    };

    // connection: the host library's description of the module's connection
    // (KpfDll_GetQtConnection), a JSON object.
    static Outcome Apply(const QByteArray &connection, const ResultPacket &packet);
    // The same for a result kept before: one already stored is not stored again (AlreadyStored).
    static Outcome Replay(const QByteArray &connection, const ResultPacket &packet);

    // Why the module's tables cannot be read on that connection, or an empty text when they can.
    static QString CheckTables(const QByteArray &connection);

private:
    using Values = std::vector<QVariant>; // in the order of the packet's fields; invalid = NULL

    struct Changes {
        std::vector<Values> deletions;
        std::vector<Values> insertions;
    };

    explicit ResultStore(const ResultPacket &packet) : m_fields(packet.fields) {}

    static Outcome Store(const QByteArray &connection, const ResultPacket &packet,
                         bool unlessStored);
    Changes ChangesOf(const ResultPacket &packet) const; // raises Failure
    QSqlQuery OnRow(QSqlDatabase &db, const QString &statement, const Values &row) const;
    int Stored(QSqlDatabase &db, const Values &row) const; // raises Failure
    bool AlreadyStored(QSqlDatabase &db, const Changes &changes) const;
    void Delete(QSqlDatabase &db, const Values &row, int number) const;
    void Insert(QSqlDatabase &db, const Values &row, int number) const;
    Outcome Write(QSqlDatabase &db, const Changes &changes, bool unlessStored) const;
    QVariant NullOf(size_t column) const;
    QString Describe(const Values &row) const;

    const std::vector<ResultPacket::Field> &m_fields;
};
