#include "TADOConnection.h"

#include "ADOConnectionString.h"
#include "EADOError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
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
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, m_qtConnectionName);
        settings.ApplyTo(db);
        if (!db.open())
            failure = db.lastError();
    }
    if (failure.isValid()) {
        QSqlDatabase::removeDatabase(m_qtConnectionName);
        RaiseError(QStringLiteral("Não foi possível conectar ao banco de dados (%1)")
                       .arg(settings.description),
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
