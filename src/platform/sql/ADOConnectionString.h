#pragma once

#include <QString>
#include <utility>
#include <vector>

class QSqlDatabase;

// An ADO-style connection string ("Key=Value;Key=Value") and its translation into the settings of
// a Qt SQL driver. Keys are compared without case; a value may be quoted ("..." or '...', the quote
// doubled inside) or braced ({...}, '}' doubled inside), so that it can hold ';'. Errors are
// EADOError texts that name keys and providers but never echo a value.
class ADOConnectionString
{
public:
    // What a QSqlDatabase needs. The password is only ever kept here, never in descriptions.
    struct QtSettings {
        QString driver; // QSQLITE, QPSQL, QODBC, QOCI
        QString databaseName;
        QString host;
        int port = -1;
        QString userName;
        QString password;
        QString connectOptions;
        QString description; // e.g. "PostgreSQL (127.0.0.1:5432, banco kpf05520)"

        // Sets these on a connection, so that every connection opened from one string is the
        // same (QODBC gets the password inside the ODBC string, braced, never on its own).
        void ApplyTo(QSqlDatabase &db) const;
    };

    static constexpr int DefaultConnectTimeout = 5; // seconds

    static ADOConnectionString Parse(const QString &text);

    bool Has(const QString &key) const;
    QString Value(const QString &key) const; // the last one given; empty when absent
    // The password (Password or PWD, also inside Extended Properties); empty when none.
    QString Password() const;

    // The provider in force: the string's Provider, else the design-time one.
    QString EffectiveProvider(const QString &designProvider) const;
    // The settings for the provider in force; raises EADOError for an unknown provider, an unknown
    // key, a missing SQLite file, a missing driver or a malformed value.
    QtSettings ToQt(const QString &designProvider) const;

private:
    QtSettings ToSQLite() const;
    QtSettings ToPostgreSQL() const;
    QtSettings ToODBC() const;
    QtSettings ToOracle(const QString &provider) const;
    QtSettings ToOracleSaidOrDefault(const QString &provider) const; // names a missing Provider=
    void CheckKeys(const QString &providerName, std::initializer_list<const char *> allowed) const;
    int ConnectTimeout() const;
    QString FirstOf(std::initializer_list<const char *> keys) const;

    std::vector<std::pair<QString, QString>> m_items; // in the order given
};
