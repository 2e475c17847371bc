#include "ResultStore.h"

#include "ADOConnectionString.h"
#include "DataPacket.h"
#include "Exceptions.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <cmath>

namespace
{

constexpr int kColumnCount = int(std::size(ResultStore::Columns));
constexpr int kFirstNumber = 5; // VRALIQIMPRZ, VRBCALCIMPRZ, VRIMPOSTORZ
constexpr double kNumberMargin = 1e-9;
// The module's design-time provider, used when the connection string names none.
const QString kDesignProvider = QStringLiteral("MSDAORA.1");

// NULL for the column's type, so that drivers that type their parameters accept it.
QVariant NullOf(int column)
{
    if (column == 3)
        return QVariant(QMetaType(QMetaType::QDate));
    if (column >= kFirstNumber)
        return QVariant(QMetaType(QMetaType::Double));
    return QVariant(QMetaType(QMetaType::QString));
}

QString SqlError(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

} // namespace

ResultStore::Changes ResultStore::ChangesOf(const DataPacket &packet)
{
    std::vector<int> index;
    for (const char *column : Columns) {
        const int i = packet.FieldIndex(QLatin1String(column));
        if (i < 0)
            throw Exception(
                QStringLiteral("the packet has no column %1").arg(QLatin1String(column)));
        index.push_back(i);
    }
    Changes changes;
    for (const DataPacket::Row &row : packet.rows) {
        Values values;
        for (const int i : index)
            values.push_back(row.values[size_t(i)]);
        switch (row.rowState) {
        case 0:
            break; // an original left as it was
        case 1:    // the original of a modified line goes, its new version (8) comes
        case 2:
            changes.deletions.push_back(std::move(values));
            break;
        case 4:
        case 8:
            changes.insertions.push_back(std::move(values));
            break;
        default:
            throw Exception(QStringLiteral("the packet has a row with RowState %1, which this host "
                                           "cannot apply")
                                .arg(row.rowState));
        }
    }
    return changes;
}

QString ResultStore::Describe(const Values &row)
{
    QStringList parts;
    for (int c = 0; c < kColumnCount; ++c) {
        const QVariant &v = row[size_t(c)];
        parts << QStringLiteral("%1=%2").arg(QLatin1String(Columns[c]),
                                             v.isValid() && !v.isNull() ? v.toString()
                                                                        : QStringLiteral("NULL"));
    }
    return parts.join(QLatin1Char(' '));
}

// NULL-safe by building "IS NULL" for the absent values; every present value is bound.
void ResultStore::Delete(QSqlDatabase &db, const Values &row, int number)
{
    QStringList conditions;
    QVariantList values;
    for (int c = 0; c < kColumnCount; ++c) {
        const QVariant &value = row[size_t(c)];
        const QLatin1String column(Columns[c]);
        if (!value.isValid() || value.isNull()) {
            conditions << QStringLiteral("%1 IS NULL").arg(column);
        } else if (c >= kFirstNumber) {
            // Stored as NUMERIC and carried as a double: equal within a hair's breadth, since some
            // drivers (psqlODBC) compare a bound double with a NUMERIC inexactly.
            const double number = value.toDouble();
            const double margin = kNumberMargin * std::max(1.0, std::abs(number));
            conditions << QStringLiteral("%1 BETWEEN ? AND ?").arg(column);
            values << number - margin << number + margin;
        } else {
            conditions << QStringLiteral("%1 = ?").arg(column);
            values << value;
        }
    }
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("DELETE FROM IMPOSTOREDZ WHERE ") +
                       conditions.join(QStringLiteral(" AND "))))
        throw Exception(SqlError(query.lastError()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw Exception(
            QStringLiteral("deleting line %1: %2").arg(number).arg(SqlError(query.lastError())));
    const int affected = query.numRowsAffected();
    if (affected != 1)
        throw Exception(QStringLiteral("deleted line %1 matches %2 stored rows instead of one (%3)")
                            .arg(number)
                            .arg(affected)
                            .arg(Describe(row)));
}

void ResultStore::Insert(QSqlDatabase &db, const Values &row, int number)
{
    QStringList names, marks;
    for (const char *column : Columns) {
        names << QLatin1String(column);
        marks << QStringLiteral("?");
    }
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("INSERT INTO IMPOSTOREDZ (%1) VALUES (%2)")
                .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))))
        throw Exception(SqlError(query.lastError()));
    for (int c = 0; c < kColumnCount; ++c) {
        const QVariant &value = row[size_t(c)];
        query.addBindValue(value.isValid() && !value.isNull() ? value : NullOf(c));
    }
    if (!query.exec())
        throw Exception(
            QStringLiteral("inserting line %1: %2").arg(number).arg(SqlError(query.lastError())));
}

// Deletions first: a line deleted and entered again with the same key must not collide with
// itself.
ResultStore::Outcome ResultStore::Write(QSqlDatabase &db, const Changes &changes)
{
    Outcome outcome;
    if (!db.transaction()) {
        outcome.error = QStringLiteral("cannot begin a transaction: ") + SqlError(db.lastError());
        return outcome;
    }
    try {
        int number = 0;
        for (const Values &row : changes.deletions)
            Delete(db, row, ++number);
        number = 0;
        for (const Values &row : changes.insertions)
            Insert(db, row, ++number);
        if (!db.commit())
            throw Exception(QStringLiteral("commit failed: ") + SqlError(db.lastError()));
    } catch (const Exception &e) {
        db.rollback();
        outcome.error = e.Message();
        return outcome;
    }
    outcome.ok = true;
    outcome.deleted = int(changes.deletions.size());
    outcome.inserted = int(changes.insertions.size());
    return outcome;
}

ResultStore::Outcome ResultStore::Apply(const QString &connectionString, const QByteArray &packet)
{
    Outcome outcome;
    Changes changes;
    ADOConnectionString::QtSettings settings;
    try {
        changes = ChangesOf(DataPacket::Parse(packet));
        if (changes.deletions.empty() && changes.insertions.empty()) {
            outcome.ok = true;
            return outcome;
        }
        settings = ADOConnectionString::Parse(connectionString).ToQt(kDesignProvider);
    } catch (const Exception &e) {
        outcome.error = e.Message();
        return outcome;
    }
    const QString name = QStringLiteral("kpfhost-store-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, name);
        settings.ApplyTo(db); // the module's connection does the same
        if (!db.open())
            outcome.error = QStringLiteral("cannot open %1: %2")
                                .arg(settings.description, SqlError(db.lastError()));
        else
            outcome = Write(db, changes);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}
