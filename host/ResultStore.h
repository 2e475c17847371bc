#pragma once

#include "ResultPacket.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

class QSqlDatabase;

// Stores what the operator confirmed: applies the change log of a returned packet to IMPOSTOREDZ
// in one transaction on a connection of its own (the module's is read-only). Columns are the
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
        int inserted = 0;
        int deleted = 0;
        QString error; // why, when not ok; never holds the password
    };

    // connection: the host library's description of the module's connection
    // (KpfDll_GetQtConnection), a JSON object.
    static Outcome Apply(const QByteArray &connection, const ResultPacket &packet);

    // Why the module's tables cannot be read on that connection, or an empty text when they can.
    static QString CheckTables(const QByteArray &connection);

private:
    using Values = std::vector<QVariant>; // in the order of the packet's fields; invalid = NULL

    struct Changes {
        std::vector<Values> deletions;
        std::vector<Values> insertions;
    };

    explicit ResultStore(const ResultPacket &packet) : m_fields(packet.fields) {}

    Changes ChangesOf(const ResultPacket &packet) const; // raises Failure
    void Delete(QSqlDatabase &db, const Values &row, int number) const;
    void Insert(QSqlDatabase &db, const Values &row, int number) const;
    Outcome Write(QSqlDatabase &db, const Changes &changes) const;
    QVariant NullOf(size_t column) const;
    QString Describe(const Values &row) const;

    const std::vector<ResultPacket::Field> &m_fields;
};
