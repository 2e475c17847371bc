#include "ResultStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <cmath>

namespace
{

struct Failure {
    QString text;
};

constexpr double kNumberMargin = 1e-9;

QString SqlError(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty()
               ? QCoreApplication::translate("kpfhost", "erro de banco de dados desconhecido")
               : text;
}

bool IsNull(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

// Field names go into the statements' text, so only plain SQL names are taken.
void CheckColumnNames(const std::vector<ResultPacket::Field> &fields)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (fields.empty())
        throw Failure{QCoreApplication::translate("kpfhost", "o pacote não descreve nenhum campo")};
    for (const ResultPacket::Field &field : fields) {
        if (!plain.match(field.name).hasMatch())
            throw Failure{QCoreApplication::translate(
                              "kpfhost", "o campo '%1' do pacote não é um nome de coluna")
                              .arg(field.name)};
    }
}

// The module's rule for a server that is there but cannot take a connection now (too many
// clients, starting up, restarting, PgBouncer's client limit): try again with a jittered back-off
// doubling from 100 ms, about five seconds in all. A host that stores the result keeps that rule.
bool IsTransient(const QSqlError &error)
{
    static const QRegularExpression transient(
        QStringLiteral("too many (clients|connections)|remaining connection slots are reserved|"
                       "the database system is (starting up|in recovery mode|shutting down)|"
                       "connection refused|no more connections allowed"),
        QRegularExpression::CaseInsensitiveOption);
    return error.nativeErrorCode() == QLatin1String("53300") ||
           error.nativeErrorCode() == QLatin1String("57P03") ||
           transient.match(error.databaseText() + QLatin1Char(' ') + error.driverText()).hasMatch();
}

bool WaitBeforeRetry(int attempt, const QElapsedTimer &since)
{
    const qint64 step = qint64(100) << std::min(attempt, 4);
    const qint64 wait = step / 2 + QRandomGenerator::global()->bounded(step / 2 + 1);
    if (since.elapsed() + wait > 5000)
        return false;
    QThread::msleep(quint64(wait));
    return true;
}

// Opens a connection as the host library describes the module's: the keys are QSqlDatabase's
// settings, set as they are (for QODBC the password is inside databaseName already). *busy: the
// last failure was a transient one.
QSqlDatabase Open(const QByteArray &description, const QString &name, QString *error, bool *busy)
{
    const QJsonObject settings = QJsonDocument::fromJson(description).object();
    if (settings.contains(QLatin1String("error"))) {
        *error = settings.value(QLatin1String("error")).toString();
        return {};
    }
    const QString driver = settings.value(QLatin1String("driver")).toString();
    if (driver.isEmpty()) {
        *error = QCoreApplication::translate(
            "kpfhost", "a biblioteca do host não descreve a conexão do módulo");
        return {};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
    db.setDatabaseName(settings.value(QLatin1String("databaseName")).toString());
    db.setHostName(settings.value(QLatin1String("hostName")).toString());
    db.setPort(settings.value(QLatin1String("port")).toInt(-1));
    db.setUserName(settings.value(QLatin1String("userName")).toString());
    // Only set when given: QODBC would append an empty PWD= to its connection string otherwise.
    if (const QString password = settings.value(QLatin1String("password")).toString();
        !password.isEmpty())
        db.setPassword(password);
    db.setConnectOptions(settings.value(QLatin1String("connectOptions")).toString());
    QElapsedTimer since;
    since.start();
    bool opened = db.open();
    for (int attempt = 0; !opened && IsTransient(db.lastError()) && WaitBeforeRetry(attempt, since);
         ++attempt)
        opened = db.open();
    *busy = !opened && IsTransient(db.lastError());
    if (!opened)
        *error = QCoreApplication::translate("kpfhost", "não foi possível abrir %1: %2")
                     .arg(settings.value(QLatin1String("description")).toString(),
                          SqlError(db.lastError()));
    return db;
}

// After a failed COMMIT: a connection that still answers got the server's refusal, so the
// transaction was rolled back; one that does not may have lost the answer to a commit that took.
bool StillAnswers(QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

struct CommitOutcomeUnknown {
    QString text;
};

// A connection of its own under a unique name, removed again once used.
template <typename Use> auto WithConnection(const QByteArray &connection, Use use)
{
    const QString name = QStringLiteral("kpfhost-store-") + QUuid::createUuid().toString();
    QString error;
    bool busy = false;
    decltype(use(std::declval<QSqlDatabase &>(), error, busy)) result;
    {
        QSqlDatabase db = Open(connection, name, &error, &busy);
        result = use(db, error, busy);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

ResultStore::Changes ResultStore::ChangesOf(const ResultPacket &packet) const
{
    Changes changes;
    for (const ResultPacket::Row &row : packet.rows) {
        switch (row.rowState) {
        case 0:
            break; // an original left as it was
        case 1:    // the original of a modified line goes, its new version (8) comes
        case 2:
            changes.deletions.push_back(row.values);
            break;
        case 4:
        case 8:
            changes.insertions.push_back(row.values);
            break;
        default:
            throw Failure{QCoreApplication::translate(
                              "kpfhost",
                              "o pacote tem uma linha com RowState %1, que este host não "
                              "sabe aplicar")
                              .arg(row.rowState)};
        }
    }
    return changes;
}

// NULL for the column's type, so that drivers that type their parameters accept it.
QVariant ResultStore::NullOf(size_t column) const
{
    const ResultPacket::Field &field = m_fields[column];
    if (ResultPacket::IsDate(field))
        return QVariant(QMetaType(QMetaType::QDate));
    if (ResultPacket::IsNumber(field))
        return QVariant(QMetaType(QMetaType::Double));
    return QVariant(QMetaType(QMetaType::QString));
}

QString ResultStore::Describe(const Values &row) const
{
    QStringList parts;
    for (size_t c = 0; c < m_fields.size(); ++c) {
        const QVariant &v = row[c];
        parts << QStringLiteral("%1=%2").arg(m_fields[c].name,
                                             IsNull(v) ? QStringLiteral("NULL") : v.toString());
    }
    return parts.join(QLatin1Char(' '));
}

// A statement on the stored rows equal to row: NULL-safe by building "IS NULL" for the absent
// values; every present value is bound.
QSqlQuery ResultStore::OnRow(QSqlDatabase &db, const QString &statement, const Values &row) const
{
    QStringList conditions;
    QVariantList values;
    for (size_t c = 0; c < m_fields.size(); ++c) {
        const QVariant &value = row[c];
        const QString &column = m_fields[c].name;
        if (IsNull(value)) {
            conditions << QStringLiteral("%1 IS NULL").arg(column);
        } else if (ResultPacket::IsNumber(m_fields[c])) {
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
    if (!query.prepare(statement + conditions.join(QStringLiteral(" AND "))))
        throw Failure{SqlError(query.lastError())};
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query;
}

void ResultStore::Delete(QSqlDatabase &db, const Values &row, int number) const
{
    QSqlQuery query = OnRow(db, QStringLiteral("DELETE FROM IMPOSTOREDZ WHERE "), row);
    if (!query.exec())
        throw Failure{QCoreApplication::translate("kpfhost", "ao excluir a linha %1: %2")
                          .arg(number)
                          .arg(SqlError(query.lastError()))};
    const int affected = query.numRowsAffected();
    if (affected != 1)
        throw Failure{QCoreApplication::translate(
                          "kpfhost",
                          "a linha excluída %1 corresponde a %2 linhas gravadas em vez de uma (%3)")
                          .arg(number)
                          .arg(affected)
                          .arg(Describe(row))};
}

int ResultStore::Stored(QSqlDatabase &db, const Values &row) const
{
    QSqlQuery query = OnRow(db, QStringLiteral("SELECT COUNT(*) FROM IMPOSTOREDZ WHERE "), row);
    if (!query.exec() || !query.next())
        throw Failure{SqlError(query.lastError())};
    return query.value(0).toInt();
}

// A result stored once before (its COMMIT's answer lost, or kept and stored since): every line
// it inserts is there, equal in all its fields, and every line it deletes is gone. The key of
// IMPOSTOREDZ holds the line's code, so a second insertion of the same line could never be meant.
bool ResultStore::AlreadyStored(QSqlDatabase &db, const Changes &changes) const
{
    for (const Values &row : changes.insertions) {
        if (Stored(db, row) == 0)
            return false;
    }
    for (const Values &row : changes.deletions) {
        if (Stored(db, row) != 0)
            return false;
    }
    return true;
}

void ResultStore::Insert(QSqlDatabase &db, const Values &row, int number) const
{
    QStringList names, marks;
    for (const ResultPacket::Field &field : m_fields) {
        names << field.name;
        marks << QStringLiteral("?");
    }
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("INSERT INTO IMPOSTOREDZ (%1) VALUES (%2)")
                .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))))
        throw Failure{SqlError(query.lastError())};
    for (size_t c = 0; c < m_fields.size(); ++c)
        query.addBindValue(IsNull(row[c]) ? NullOf(c) : row[c]);
    if (!query.exec())
        throw Failure{QCoreApplication::translate("kpfhost", "ao inserir a linha %1: %2")
                          .arg(number)
                          .arg(SqlError(query.lastError()))};
}

// Deletions first: a line deleted and entered again with the same key must not collide with
// itself. Every statement, the look for a result stored before included, runs inside the one
// transaction: through a pooler in transaction mode, a prepared statement outside it may meet
// another server connection.
ResultStore::Outcome ResultStore::Write(QSqlDatabase &db, const Changes &changes,
                                        bool unlessStored) const
{
    Outcome outcome;
    if (!db.transaction()) {
        outcome.error =
            QCoreApplication::translate("kpfhost", "não foi possível iniciar uma transação: ") +
            SqlError(db.lastError());
        outcome.kept = !StillAnswers(db);
        return outcome;
    }
    try {
        if (unlessStored && AlreadyStored(db, changes)) {
            db.rollback();
            outcome.ok = outcome.alreadyStored = true;
            return outcome;
        }
        int number = 0;
        for (const Values &row : changes.deletions)
            Delete(db, row, ++number);
        number = 0;
        for (const Values &row : changes.insertions)
            Insert(db, row, ++number);
        if (!db.commit()) {
            const QString error = SqlError(db.lastError());
            if (!StillAnswers(db))
                throw CommitOutcomeUnknown{error};
            throw Failure{QCoreApplication::translate("kpfhost", "o COMMIT falhou: ") + error};
        }
    } catch (const Failure &failure) {
        db.rollback();
        outcome.error = failure.text;
        // A server that went away before COMMIT applied nothing: a later try may store it.
        outcome.kept = !StillAnswers(db);
        return outcome;
    } catch (const CommitOutcomeUnknown &lost) {
        outcome.unknown = outcome.kept = true;
        outcome.error =
            QCoreApplication::translate(
                "kpfhost", "o COMMIT foi enviado e sua resposta se perdeu (%1): as linhas "
                           "podem ter sido gravadas ou não; confira IMPOSTOREDZ "
                           "antes de gravá-las de novo")
                .arg(lost.text);
        return outcome;
    }
    outcome.ok = true;
    outcome.deleted = int(changes.deletions.size());
    outcome.inserted = int(changes.insertions.size());
    return outcome;
}

ResultStore::Outcome ResultStore::Apply(const QByteArray &connection, const ResultPacket &packet)
{
    return Store(connection, packet, false);
}

ResultStore::Outcome ResultStore::Replay(const QByteArray &connection, const ResultPacket &packet)
{
    return Store(connection, packet, true);
}

ResultStore::Outcome ResultStore::Store(const QByteArray &connection, const ResultPacket &packet,
                                        bool unlessStored)
{
    const ResultStore store(packet);
    Outcome outcome;
    Changes changes;
    try {
        changes = store.ChangesOf(packet);
        if (changes.deletions.empty() && changes.insertions.empty()) {
            outcome.ok = true;
            return outcome;
        }
        CheckColumnNames(packet.fields);
    } catch (const Failure &failure) {
        outcome.error = failure.text;
        return outcome;
    }
    return WithConnection(connection, [&](QSqlDatabase &db, const QString &error, bool busy) {
        if (!error.isEmpty()) {
            Outcome failed;
            failed.error = error;
            failed.kept = busy;
            return failed;
        }
        return store.Write(db, changes, unlessStored);
    });
}

QString ResultStore::CheckTables(const QByteArray &connection)
{
    return WithConnection(connection, [](QSqlDatabase &db, const QString &error, bool) {
        if (!error.isEmpty())
            return error;
        const struct {
            const char *table;
            const char *statement;
        } probes[] = {{"IMPOSTOREDZ", "SELECT * FROM IMPOSTOREDZ WHERE 1 = 0"},
                      {"IMPOSTO", "SELECT * FROM IMPOSTO WHERE 1 = 0"}};
        for (const auto &probe : probes) {
            QSqlQuery query(db);
            if (!query.exec(QString::fromLatin1(probe.statement)))
                return QCoreApplication::translate("kpfhost", "%1 não pode ser lida: %2")
                    .arg(QLatin1String(probe.table), SqlError(query.lastError()));
        }
        return QString();
    });
}
