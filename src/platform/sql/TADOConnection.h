#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class QSqlError;

// A database connection configured by an ADO-style connection string ("Key=Value;..."). The
// provider picks the Qt driver: SQLite -> QSQLITE (Data Source = file, which must exist),
// PostgreSQL -> QPSQL (Host, Port, Database or Initial Catalog, User ID, Password),
// MSDASQL -> QODBC (DSN, or a driver string), MSDAORA.1 / OraOLEDB.Oracle -> QOCI when that driver
// is installed, otherwise a clear error naming the ODBC route. A string without Provider uses the
// design-time Provider property. Every error is an EDatabaseError (EADOError) whose text never
// holds the password. Each connection owns one uniquely named Qt SQL connection, added when it
// opens and removed when it closes or is destroyed, after its queries let go of it.
//
// A lost server: a query that fails asks the connection to check itself (CheckLost); when the
// connection no longer answers it counts as lost and Connected() is false. The query then reopens
// it once (running BeforeConnect and AfterConnect again) and runs again; while the server is away,
// every later query tries to reopen it first.
class TADOConnection : public QObject
{
    Q_OBJECT

public:
    explicit TADOConnection(QObject *parent = nullptr);
    ~TADOConnection() override;

    QString ConnectionString() const { return m_connectionString; }
    void SetConnectionString(const QString &text); // raises while connected
    QString Provider() const { return m_provider; }
    void SetProvider(const QString &provider) { m_provider = provider; }
    // No login dialog is ever shown; the string's credentials are used as they are.
    bool LoginPrompt() const { return m_loginPrompt; }
    void SetLoginPrompt(bool on) { m_loginPrompt = on; }

    // Open and answering, as far as the connection knows.
    bool Connected() const { return m_open && !m_lost; }
    // true: BeforeConnect, open, AfterConnect (a lost connection is closed and reopened);
    // false: close. Raises EDatabaseError on failure.
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The provider in force (from the string, else the design-time one) and the Qt driver name
    // (empty while closed).
    QString EffectiveProvider() const;
    QString DriverName() const { return m_driverName; }

    // The Qt SQL connection (valid once connected).
    QSqlDatabase Database() const;
    // Runs a statement that returns nothing (session set-up); raises EDatabaseError.
    void Execute(const QString &sql);
    // Reopens the connection after the server was lost (used before a query runs).
    void Reconnect();
    // Opens the connection when it is closed or lost; no effect when it is connected.
    void EnsureConnected();
    // After a failed statement: a cheap round trip tells whether the server still answers;
    // when it does not, the connection is marked lost.
    void CheckLost();

    // The text with every occurrence of the current password masked.
    QString ScrubSecrets(const QString &text) const;
    // Raises EADOError "<what>: <driver text>" with the database's error code, password masked.
    [[noreturn]] void RaiseError(const QString &what, const QSqlError &error) const;

    std::function<void(QObject *)> BeforeConnect;
    std::function<void(QObject *)> AfterConnect;

signals:
    // The Qt connection is about to close: queries drop their statements and close.
    void closing();

private:
    void OpenDatabase();
    void CloseDatabase();

    QString m_connectionString;
    QString m_provider;
    bool m_loginPrompt = true;
    QString m_qtConnectionName;
    QString m_driverName;
    QString m_password; // of the string last parsed, only to mask it in error texts
    bool m_open = false;
    bool m_lost = false;
};
