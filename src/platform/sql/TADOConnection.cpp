#include "TADOConnection.h"

#include "ADOConnectionString.h"
#include "EADOError.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace
{

QString NextConnectionName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("kpf_adc_%1").arg(++counter);
}

// The database's own words in one line; Qt's generic driver text when the database said nothing.
QString DriverText(const QSqlError &error)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    // QPSQL ends its text with "(<code>)"; the code is reported on its own.
    const QString codeSuffix = QStringLiteral("(%1)").arg(error.nativeErrorCode());
    if (text.endsWith(codeSuffix))
        text.chop(codeSuffix.size());
    return text.replace(blanks, QStringLiteral(" ")).trimmed();
}

// PostgreSQL's answers when it is there but cannot take a connection now: too many clients
// (53300, also a role's or a database's connection limit), starting up, in recovery or shutting
// down (57P03), or nobody listening yet while it restarts; PgBouncer's when its client limit is
// reached. psqlODBC passes the server's words on. A second try a moment later may succeed.
bool IsTransientConnectFailure(const QString &driver, const QSqlError &error)
{
    if (driver != QLatin1String("QPSQL") && driver != QLatin1String("QODBC"))
        return false;
    if (error.nativeErrorCode() == QLatin1String("53300") ||
        error.nativeErrorCode() == QLatin1String("57P03"))
        return true;
    static const QRegularExpression transient(
        QStringLiteral("too many (clients|connections)|remaining connection slots are reserved|"
                       "the database system is (starting up|in recovery mode|shutting down)|"
                       "connection refused|no more connections allowed"),
        QRegularExpression::CaseInsensitiveOption);
    return transient.match(error.databaseText() + QLatin1Char(' ') + error.driverText()).hasMatch();
}

// Waits before the next try: doubling from 100 ms, each wait drawn between half and the whole of
// its step, so that tills that failed together do not come back together; false once about five
// seconds have gone.
bool WaitBeforeRetry(int attempt, const QElapsedTimer &since)
{
    constexpr qint64 kBudgetMs = 5000;
    const qint64 step = qint64(100) << std::min(attempt, 4);
    const qint64 wait = step / 2 + QRandomGenerator::global()->bounded(step / 2 + 1);
    if (since.elapsed() + wait > kBudgetMs)
        return false;
    QThread::msleep(quint64(wait));
    return true;
}

} // namespace

TADOConnection::TADOConnection(QObject *parent)
    : QObject(parent), m_qtConnectionName(NextConnectionName())
{
}

TADOConnection::~TADOConnection()
{
    CloseDatabase();
}

void TADOConnection::SetConnectionString(const QString &text)
{
    if (m_open)
        throw EADOError(
            QStringLiteral("%1: a string de conexão não pode mudar com a conexão aberta")
                .arg(objectName()));
    m_connectionString = text;
}

QString TADOConnection::EffectiveProvider() const
{
    try {
        return ADOConnectionString::Parse(m_connectionString).EffectiveProvider(m_provider);
    } catch (const EDatabaseError &) {
        return m_provider;
    }
}

void TADOConnection::SetConnected(bool connected)
{
    if (!connected) {
        CloseDatabase();
        return;
    }
    if (Connected())
        return;
    if (m_open)
        CloseDatabase(); // lost: start afresh
    if (BeforeConnect)
        BeforeConnect(this);
    OpenDatabase();
    try {
        if (AfterConnect)
            AfterConnect(this);
    } catch (...) {
        // A half set-up session must not serve queries.
        CloseDatabase();
        throw;
    }
}

void TADOConnection::OpenDatabase()
{
    ADOConnectionString::QtSettings settings;
    try {
        const ADOConnectionString parsed = ADOConnectionString::Parse(m_connectionString);
        m_password = parsed.Password();
        settings = parsed.ToQt(m_provider);
    } catch (const EADOError &error) {
        throw EADOError(ScrubSecrets(error.Message()), error.NativeError());
    }
    QSqlError failure;
    bool transient = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, m_qtConnectionName);
        settings.ApplyTo(db);
        QElapsedTimer since;
        since.start();
        bool opened = db.open();
        for (int attempt = 0; !opened; ++attempt) {
            transient = IsTransientConnectFailure(settings.driver, db.lastError());
            if (!transient || !WaitBeforeRetry(attempt, since))
                break;
            opened = db.open();
        }
        if (!opened)
            failure = db.lastError();
    }
    if (failure.isValid()) {
        QSqlDatabase::removeDatabase(m_qtConnectionName);
        const QString what = QStringLiteral("Não foi possível conectar ao banco de dados (%1)")
                                 .arg(settings.description);
        RaiseError(transient ? what + QStringLiteral(": o servidor está ocupado ou iniciando; "
                                                     "tente de novo em instantes")
                             : what,
                   failure);
    }
    m_driverName = settings.driver;
    m_open = true;
    m_lost = false;
}

void TADOConnection::CloseDatabase()
{
    if (QSqlDatabase::contains(m_qtConnectionName)) {
        emit closing();
        QSqlDatabase::database(m_qtConnectionName, false).close();
        QSqlDatabase::removeDatabase(m_qtConnectionName);
    }
    m_open = false;
    m_lost = false;
    m_driverName.clear();
}

QSqlDatabase TADOConnection::Database() const
{
    return QSqlDatabase::database(m_qtConnectionName, false);
}

void TADOConnection::Execute(const QString &sql)
{
    if (!m_open)
        throw EADOError(QStringLiteral("%1: a conexão está fechada").arg(objectName()));
    QSqlQuery query(Database());
    if (!query.exec(sql))
        RaiseError(QStringLiteral("Erro ao executar \"%1\"").arg(sql.simplified()),
                   query.lastError());
}

void TADOConnection::Reconnect()
{
    CloseDatabase();
    SetConnected(true);
}

void TADOConnection::EnsureConnected()
{
    if (!Connected())
        SetConnected(true);
}

void TADOConnection::CheckLost()
{
    if (!m_open || m_lost)
        return;
    QSqlQuery probe(Database());
    const bool answers = probe.exec(m_driverName == u"QOCI" ? QStringLiteral("SELECT 1 FROM DUAL")
                                                            : QStringLiteral("SELECT 1"));
    m_lost = !answers;
}

QString TADOConnection::ScrubSecrets(const QString &text) const
{
    if (m_password.isEmpty())
        return text;
    static const QString mask = QStringLiteral("****");
    QString scrubbed = text;
    // The value as given, and as drivers quote it (conninfo escapes, doubled quotes).
    QString escaped = m_password;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    QString doubled = m_password;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    for (const QString &form : {escaped, doubled, m_password})
        scrubbed.replace(form, mask);
    return scrubbed;
}

void TADOConnection::RaiseError(const QString &what, const QSqlError &error) const
{
    const QString text = DriverText(error);
    const QString message = text.isEmpty() ? what : what + QStringLiteral(": ") + text;
    throw EADOError(ScrubSecrets(message), ScrubSecrets(error.nativeErrorCode()));
}
