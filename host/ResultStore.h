#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

class DataPacket;
class QSqlDatabase;

// Stores what the operator confirmed: applies the change log of a tax-line packet to IMPOSTOREDZ
// in one transaction on a connection of its own (the module's is read-only). Inserted lines are
// inserted; deleted lines are deleted by all eight columns, each deletion matching exactly one
// stored row; unchanged originals are left alone. Any failure rolls everything back. Values only
// ever travel as bound parameters.
class ResultStore
{
public:
    struct Outcome {
        bool ok = false;
        int inserted = 0;
        int deleted = 0;
        QString error; // why, when not ok; never holds the password
    };

    static Outcome Apply(const QString &connectionString, const QByteArray &packet);

    static constexpr const char *Columns[] = {"CDFILIAL",     "CDCAIXA",    "NRECFREDZ",
                                              "DTREDUCAOZ",   "CDIMPOSTO",  "VRALIQIMPRZ",
                                              "VRBCALCIMPRZ", "VRIMPOSTORZ"};

private:
    using Values = std::vector<QVariant>; // in the order of Columns; invalid = NULL

    struct Changes {
        std::vector<Values> deletions;
        std::vector<Values> insertions;
    };

    static Changes ChangesOf(const DataPacket &packet); // raises Exception
    static void Delete(QSqlDatabase &db, const Values &row, int number);
    static void Insert(QSqlDatabase &db, const Values &row, int number);
    static Outcome Write(QSqlDatabase &db, const Changes &changes);
    static QString Describe(const Values &row);
};
