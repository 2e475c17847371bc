#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// A database connection configured by an ADO-style connection string ("Key=Value;..."). The
// provider picks the Qt driver: SQLite -> QSQLITE (Data Source = file, which must exist),
// PostgreSQL -> QPSQL (Host, Port, Database or Initial Catalog, User ID, Password),
// MSDASQL -> QODBC (DSN, or a driver string), MSDAORA.1 / OraOLEDB.Oracle -> QOCI when that driver
// is installed, otherwise a clear error naming the ODBC route. A string without Provider uses the
// design-time Provider property. Every error is an EDatabaseError whose text never holds the
// password. Each connection owns one uniquely named Qt SQL connection, removed in its destructor.
class TADOConnection : public QObject
{
    Q_OBJECT

public:
    explicit TADOConnection(QObject *parent = nullptr);
    ~TADOConnection() override;

    QString ConnectionString() const { return m_connectionString; }
    void SetConnectionString(const QString &text);
    QString Provider() const { return m_provider; }
    void SetProvider(const QString &provider) { m_provider = provider; }
    bool LoginPrompt() const { return m_loginPrompt; }
    void SetLoginPrompt(bool on) { m_loginPrompt = on; }

    bool Connected() const;
    // true: BeforeConnect, open, AfterConnect; false: close. Raises EDatabaseError on failure.
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The provider in force (from the string, else the design-time one) and the Qt driver name.
    QString EffectiveProvider() const;
    QString DriverName() const;

    // The Qt SQL connection (valid once connected).
    QSqlDatabase Database() const;
    // Runs a statement that returns nothing (session set-up); raises EDatabaseError.
    void Execute(const QString &sql);
    // Reopens the connection after the server was lost (used before a query runs).
    void Reconnect();

    std::function<void(QObject *)> BeforeConnect;
    std::function<void(QObject *)> AfterConnect;

private:
    QString m_connectionString;
    QString m_provider;
    bool m_loginPrompt = true;
    QString m_qtConnectionName;
};
