#include "TADOQuery.h"

#include "EADOError.h"
#include "SysUtils.h"
#include "TADOConnection.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstdio>
#include <exception>
#include <utility>

namespace
{

// The :NAME placeholders of a statement, outside quotes; PostgreSQL's '::' casts are skipped.
QStringList Placeholders(const QString &sql)
{
    QStringList names;
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            ++i;
        } else if (c == u':') {
            int j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            if (j > i + 1 && !names.contains(sql.mid(i + 1, j - i - 1)))
                names << sql.mid(i + 1, j - i - 1);
            i = j - 1;
        }
    }
    return names;
}

QString TypeWord(TFieldType type)
{
    switch (type) {
    case TFieldType::ftDate:
        return QStringLiteral("uma data");
    case TFieldType::ftDateTime:
        return QStringLiteral("uma data e hora");
    case TFieldType::ftFloat:
        return QStringLiteral("um número");
    case TFieldType::ftInteger:
        return QStringLiteral("um número inteiro");
    case TFieldType::ftBoolean:
        return QStringLiteral("um valor lógico");
    case TFieldType::ftString:
        break;
    }
    return QStringLiteral("um texto");
}

// 'YYYY-MM-DD', the form SQLite keeps; an invalid date otherwise. Read by hand: it is on the path
// of every stored line, and QDate::fromString costs several times more.
QDate IsoDate(QStringView text)
{
    if (text.size() != 10)
        return {};
    int parts[3] = {0, 0, 0};
    for (int i = 0, part = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            if (text[i] != u'-')
                return {};
            ++part;
        } else if (text[i].isDigit() && text[i].unicode() < 128) {
            parts[part] = parts[part] * 10 + (text[i].unicode() - u'0');
        } else {
            return {};
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

QString IsoText(const QDate &date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year(), date.month(), date.day());
    return QString::fromLatin1(text);
}

// A stored date: QDate or QDateTime from typed drivers, 'YYYY-MM-DD[ hh:mm:ss]' text from SQLite.
QDateTime ToDateTime(const QVariant &raw)
{
    switch (raw.typeId()) {
    case QMetaType::QDate:
        return QDateTime(raw.toDate(), QTime(0, 0));
    case QMetaType::QDateTime:
        return raw.toDateTime();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = raw.toString().trimmed();
        if (text.size() == 10)
            return QDateTime(IsoDate(text), QTime(0, 0));
        return QDateTime::fromString(QString(text).replace(u' ', u'T'), Qt::ISODateWithMs);
    }
    default:
        return {};
    }
}

// The value of one column converted to its field's type; an invalid QVariant for null.
QVariant FieldValue(const QVariant &raw, const TField &field, bool &ok)
{
    ok = true;
    if (raw.isNull())
        return {};
    switch (field.DataType()) {
    case TFieldType::ftString:
        // Whole, also beyond the field's size: the packet widens its WIDTH, and a host that
        // deletes the row needs the stored text, not its first characters.
        return raw.toString();
    case TFieldType::ftDate: {
        // No QDateTime on the way: building one consults the time zone, for every line.
        const QDate value = raw.typeId() == QMetaType::QDate ? raw.toDate()
                            : raw.typeId() == QMetaType::QString
                                ? IsoDate(raw.toString().trimmed().left(10))
                                : ToDateTime(raw).date();
        ok = value.isValid();
        return value;
    }
    case TFieldType::ftDateTime: {
        const QDateTime value = ToDateTime(raw);
        ok = value.isValid();
        return value;
    }
    case TFieldType::ftFloat:
        return raw.toDouble(&ok);
    case TFieldType::ftInteger:
        return raw.toInt(&ok);
    case TFieldType::ftBoolean:
        return raw.toBool();
    }
    return {};
}

TFieldType FieldTypeOf(const QSqlField &column)
{
    switch (column.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return TFieldType::ftFloat;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return TFieldType::ftInteger;
    case QMetaType::QDate:
        return TFieldType::ftDate;
    case QMetaType::QDateTime:
        return TFieldType::ftDateTime;
    case QMetaType::Bool:
        return TFieldType::ftBoolean;
    default:
        return TFieldType::ftString;
    }
}

} // namespace

TADOQuery::TADOQuery(QObject *parent) : TDataSet(parent) {}

TADOQuery::~TADOQuery() = default;

void TADOQuery::SetConnection(TADOConnection *connection)
{
    if (connection == m_connection)
        return;
    Close();
    ReleaseStatement();
    if (m_connection)
        disconnect(m_connection, nullptr, this, nullptr);
    m_connection = connection;
    if (connection)
        connect(connection, &TADOConnection::closing, this, &TADOQuery::ReleaseStatement);
}

void TADOQuery::Open()
{
    if (Active())
        return;
    if (!m_connection)
        throw EADOError(QStringLiteral("%1: a consulta não tem conexão").arg(objectName()));
    m_connection->EnsureConnected();
    std::exception_ptr failure;
    try {
        Run();
        return;
    } catch (const EDatabaseError &) {
        if (m_connection->Connected())
            throw;
        failure = std::current_exception();
    }
    // The server went away under an open connection: reopen it once and run again. While the
    // server is still away the first failure stands, and the next Open tries again.
    try {
        m_connection->Reconnect();
    } catch (const EDatabaseError &) {
        std::rethrow_exception(failure);
    }
    Run();
}

void TADOQuery::Run()
{
    if (m_connection->DriverName() != u"QPSQL") {
        RunStatement();
        return;
    }
    // QPSQL's prepared statements are named and live on one server connection, and a pooler in
    // transaction mode (PgBouncer's pool_mode = transaction) hands each transaction to any of its
    // connections. So here a statement is prepared, run and deallocated inside one read-only
    // transaction of its own, and nothing of it outlives that transaction.
    try {
        m_connection->Execute(QStringLiteral("START TRANSACTION READ ONLY"));
    } catch (const EDatabaseError &) {
        m_connection->CheckLost();
        throw;
    }
    m_ownTransaction = true;
    QSqlDatabase db = m_connection->Database();
    try {
        RunStatement();
    } catch (...) {
        EndOwnTransaction();
        m_statement.reset();
        throw;
    }
    m_statement.reset();
    m_ownTransaction = false;
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        Close(); // what was read is not served when its transaction did not end well
        Fail(QStringLiteral("Erro ao abrir a consulta %1"), error);
    }
}

void TADOQuery::EndOwnTransaction()
{
    if (std::exchange(m_ownTransaction, false))
        m_connection->Database().rollback();
}

void TADOQuery::RunStatement()
{
    QSqlQuery &query = Statement();
    Bind(query);
    if (!query.exec())
        Fail(QStringLiteral("Erro ao abrir a consulta %1"), query.lastError());
    std::vector<TRecord> records;
    try {
        // Persistent fields meet the same columns every time the statement runs.
        if (FieldCount() == 0 || m_columns.size() != size_t(FieldCount()))
            m_columns = MapColumns(query.record());
        records = Fetch(query, m_columns);
    } catch (...) {
        query.finish();
        throw;
    }
    if (query.lastError().isValid())
        Fail(QStringLiteral("Erro ao ler o resultado da consulta %1"), query.lastError());
    query.finish(); // SQLite keeps a read lock while a statement is open
    ResetStore(std::move(records), dsBrowse);
}

void TADOQuery::Close()
{
    TDataSet::Close();
    if (m_statement)
        m_statement->finish();
    if (m_autoFields) {
        ClearFields();
        m_autoFields = false;
    }
}

QSqlQuery &TADOQuery::Statement()
{
    if (m_statement && m_sql == m_preparedLines)
        return *m_statement;
    const QString text = m_sql.join(QLatin1Char('\n'));
    ReleaseStatement();
    const QStringList placeholders = Placeholders(text);
    for (const QString &name : placeholders)
        if (!m_parameters.Find(name))
            throw EADOError(QStringLiteral("%1: o parâmetro '%2' do SQL não está declarado")
                                .arg(objectName(), name));
    auto statement = std::make_unique<QSqlQuery>(m_connection->Database());
    statement->setForwardOnly(true);
    statement->setNumericalPrecisionPolicy(m_enableBCD ? QSql::HighPrecision
                                                       : QSql::LowPrecisionDouble);
    if (!statement->prepare(text)) {
        const QSqlError error = statement->lastError();
        statement.reset();
        Fail(QStringLiteral("Erro ao preparar a consulta %1"), error);
    }
    m_statement = std::move(statement);
    m_preparedLines = m_sql;
    m_placeholders = placeholders;
    m_bindNames.clear();
    for (const QString &name : placeholders)
        m_bindNames << QLatin1Char(':') + name;
    return *m_statement;
}

void TADOQuery::Bind(QSqlQuery &query)
{
    query.setNumericalPrecisionPolicy(m_enableBCD ? QSql::HighPrecision : QSql::LowPrecisionDouble);
    const bool sqlite = m_connection->DriverName() == u"QSQLITE";
    for (qsizetype i = 0; i < m_placeholders.size(); ++i) {
        const QVariant &value = m_parameters.ParamByName(m_placeholders[i]).Value();
        // SQLite keeps dates as 'YYYY-MM-DD' text; other drivers bind a real date.
        if (sqlite && value.typeId() == QMetaType::QDate)
            query.bindValue(m_bindNames[i], IsoText(value.toDate()));
        else
            query.bindValue(m_bindNames[i], value);
    }
}

std::vector<int> TADOQuery::MapColumns(const QSqlRecord &record)
{
    if (FieldCount() == 0) {
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField column = record.field(i);
            const TFieldType type = FieldTypeOf(column);
            const int size = type != TFieldType::ftString ? 0
                             : column.length() > 0        ? column.length()
                                                          : 255;
            AddField(column.name(), type, size);
        }
        m_autoFields = true;
    }
    std::vector<int> columns;
    columns.reserve(FieldCount());
    for (const auto &field : Fields()) {
        int index = -1;
        for (int i = 0; i < record.count() && index < 0; ++i)
            if (SameText(record.fieldName(i), field->FieldName()))
                index = i;
        if (index < 0)
            throw EADOError(QStringLiteral("%1: o campo %2 não está no resultado da consulta")
                                .arg(objectName(), field->FieldName()));
        columns.push_back(index);
    }
    return columns;
}

std::vector<TRecord> TADOQuery::Fetch(QSqlQuery &query, const std::vector<int> &columns) const
{
    std::vector<TRecord> records;
    const auto &fields = Fields();
    while (query.next()) {
        TRecord &record = records.emplace_back();
        record.values.reserve(fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            const QVariant raw = query.value(columns[i]);
            bool ok = true;
            record.values.push_back(FieldValue(raw, *fields[i], ok));
            if (!ok)
                throw EADOError(QStringLiteral("%1: o valor \"%2\" do campo %3 não é %4")
                                    .arg(objectName(), raw.toString().left(40),
                                         fields[i]->FieldName(), TypeWord(fields[i]->DataType())));
        }
    }
    return records;
}

void TADOQuery::ReleaseStatement()
{
    // The statement belongs to the Qt connection; it must go before the connection closes.
    Close();
    m_statement.reset();
    m_preparedLines.clear();
    m_placeholders.clear();
    m_bindNames.clear();
    m_columns.clear();
}

void TADOQuery::Fail(const QString &what, const QSqlError &error)
{
    // An aborted transaction answers nothing: end it, so that the probe hears the connection.
    EndOwnTransaction();
    m_connection->CheckLost();
    m_connection->RaiseError(what.arg(objectName()), error);
}
