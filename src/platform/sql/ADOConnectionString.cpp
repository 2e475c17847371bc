#include "ADOConnectionString.h"

#include "EADOError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStringList>

namespace
{

// "User ID", "UserID" and "user id" are the same key.
QString NormalKey(const QString &key)
{
    QString k = key.toLower();
    k.remove(QLatin1Char(' '));
    return k;
}

[[noreturn]] void Fail(const QString &text)
{
    throw EADOError(QStringLiteral("String de conexão: %1").arg(text));
}

// Reads a quoted ("..." '...') or braced ({...}) value starting at pos; the closing character is
// doubled inside. Returns the position after the closing character.
int ReadEnclosed(const QString &text, int pos, int item, QString &value)
{
    const QChar open = text[pos];
    const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
    for (int i = pos + 1; i < text.size(); ++i) {
        if (text[i] != close) {
            value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == close) {
            value += close;
            ++i;
        } else {
            return i + 1;
        }
    }
    Fail(QStringLiteral("o valor do item %1 não foi fechado com %2").arg(item).arg(close));
}

QString OdbcValue(const QString &value)
{
    static const QRegularExpression special(QStringLiteral("[;{}=]|^\\s|\\s$"));
    if (!value.contains(special))
        return value;
    return QLatin1Char('{') + QString(value).replace(QLatin1Char('}'), QStringLiteral("}}")) +
           QLatin1Char('}');
}

enum class Kind { SQLite, PostgreSQL, ODBC, Oracle, Unknown };

Kind ProviderKind(const QString &provider)
{
    const QString p = provider.trimmed().toLower();
    if (p == u"sqlite")
        return Kind::SQLite;
    if (p == u"postgresql")
        return Kind::PostgreSQL;
    if (p == u"msdasql" || p == u"msdasql.1")
        return Kind::ODBC;
    if (p == u"msdaora" || p == u"msdaora.1" || p == u"oraoledb.oracle" ||
        p == u"oraoledb.oracle.1")
        return Kind::Oracle;
    return Kind::Unknown;
}

} // namespace

ADOConnectionString ADOConnectionString::Parse(const QString &text)
{
    ADOConnectionString result;
    int pos = 0;
    int item = 0;
    while (pos < text.size()) {
        const int end = text.indexOf(QLatin1Char(';'), pos);
        const int eq = text.indexOf(QLatin1Char('='), pos);
        ++item;
        if (eq < 0 || (end >= 0 && end < eq)) {
            const int stop = end < 0 ? text.size() : end;
            if (!text.mid(pos, stop - pos).trimmed().isEmpty())
                Fail(QStringLiteral("o item %1 não tem a forma Chave=Valor").arg(item));
            pos = stop + 1;
            continue;
        }
        const QString key = text.mid(pos, eq - pos).trimmed();
        if (key.isEmpty())
            Fail(QStringLiteral("o item %1 não tem nome de chave").arg(item));
        int i = eq + 1;
        while (i < text.size() && text[i].isSpace())
            ++i;
        QString value;
        if (i < text.size() && (text[i] == u'"' || text[i] == u'\'' || text[i] == u'{')) {
            i = ReadEnclosed(text, i, item, value);
            while (i < text.size() && text[i].isSpace())
                ++i;
            if (i < text.size() && text[i] != u';')
                Fail(QStringLiteral("texto depois do valor fechado do item %1 (%2)")
                         .arg(item)
                         .arg(key));
            pos = i + 1;
        } else {
            const int stop = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, (stop < 0 ? text.size() : stop) - i).trimmed();
            pos = stop < 0 ? text.size() : stop + 1;
        }
        result.m_items.emplace_back(key, value);
    }
    return result;
}

bool ADOConnectionString::Has(const QString &key) const
{
    const QString k = NormalKey(key);
    for (const auto &[name, value] : m_items)
        if (NormalKey(name) == k)
            return true;
    return false;
}

QString ADOConnectionString::Value(const QString &key) const
{
    const QString k = NormalKey(key);
    QString found;
    for (const auto &[name, value] : m_items)
        if (NormalKey(name) == k)
            found = value;
    return found;
}

QString ADOConnectionString::FirstOf(std::initializer_list<const char *> keys) const
{
    for (const char *key : keys)
        if (Has(QLatin1String(key)))
            return Value(QLatin1String(key));
    return {};
}

QString ADOConnectionString::Password() const
{
    QString password = FirstOf({"password", "pwd"});
    if (password.isEmpty() && Has(QStringLiteral("extendedproperties")))
        password = Parse(Value(QStringLiteral("extendedproperties"))).FirstOf({"password", "pwd"});
    return password;
}

QString ADOConnectionString::EffectiveProvider(const QString &designProvider) const
{
    return Has(QStringLiteral("provider")) ? Value(QStringLiteral("provider")) : designProvider;
}

void ADOConnectionString::CheckKeys(const QString &providerName,
                                    std::initializer_list<const char *> allowed) const
{
    static const QStringList common = {
        QStringLiteral("provider"), QStringLiteral("persistsecurityinfo"),
        QStringLiteral("connecttimeout"), QStringLiteral("connectiontimeout")};
    for (const auto &item : m_items) {
        const QString k = NormalKey(item.first);
        if (common.contains(k) ||
            std::any_of(allowed.begin(), allowed.end(), [&](const char *a) { return k == a; }))
            continue;
        Fail(QStringLiteral("a chave '%1' não é aceita pelo provedor %2")
                 .arg(item.first, providerName));
    }
}

int ADOConnectionString::ConnectTimeout() const
{
    const QString text = FirstOf({"connecttimeout", "connectiontimeout"});
    if (text.isEmpty())
        return DefaultConnectTimeout;
    bool ok = false;
    const int seconds = text.toInt(&ok);
    if (!ok || seconds < 1 || seconds > 600)
        Fail(QStringLiteral("Connect Timeout deve ser um número de segundos entre 1 e 600"));
    return seconds;
}

ADOConnectionString::QtSettings ADOConnectionString::ToQt(const QString &designProvider) const
{
    const QString provider = EffectiveProvider(designProvider);
    if (provider.trimmed().isEmpty())
        Fail(QStringLiteral("nenhum provedor informado (Provider=SQLite, PostgreSQL, MSDASQL, "
                            "MSDAORA.1 ou OraOLEDB.Oracle)"));
    QtSettings settings;
    switch (ProviderKind(provider)) {
    case Kind::SQLite:
        settings = ToSQLite();
        break;
    case Kind::PostgreSQL:
        settings = ToPostgreSQL();
        break;
    case Kind::ODBC:
        settings = ToODBC();
        break;
    case Kind::Oracle:
        settings = ToOracleSaidOrDefault(provider);
        break;
    case Kind::Unknown:
        Fail(QStringLiteral("o provedor '%1' é desconhecido; use SQLite, PostgreSQL, MSDASQL "
                            "(ODBC), MSDAORA.1 ou OraOLEDB.Oracle")
                 .arg(provider));
    }
    if (!QSqlDatabase::isDriverAvailable(settings.driver))
        throw EADOError(QStringLiteral("O driver Qt %1 não está instalado nesta máquina (%2)")
                            .arg(settings.driver, settings.description));
    return settings;
}

ADOConnectionString::QtSettings ADOConnectionString::ToSQLite() const
{
    CheckKeys(QStringLiteral("SQLite"), {"datasource", "userid", "password"});
    const QString file = Value(QStringLiteral("datasource"));
    if (file.isEmpty())
        Fail(QStringLiteral("o provedor SQLite precisa do arquivo do banco em Data Source"));
    // Opening a missing file would create an empty database and hide the mistake.
    const QFileInfo info(file);
    if (!info.exists())
        throw EADOError(QStringLiteral("O arquivo do banco de dados SQLite não existe: %1")
                            .arg(info.absoluteFilePath()));
    if (!info.isFile())
        throw EADOError(QStringLiteral("O banco de dados SQLite não é um arquivo: %1")
                            .arg(info.absoluteFilePath()));
    QtSettings s;
    s.driver = QStringLiteral("QSQLITE");
    s.databaseName = info.absoluteFilePath();
    s.description = QStringLiteral("SQLite, %1").arg(s.databaseName);
    return s;
}

ADOConnectionString::QtSettings ADOConnectionString::ToPostgreSQL() const
{
    CheckKeys(QStringLiteral("PostgreSQL"),
              {"host", "server", "datasource", "port", "database", "initialcatalog", "userid",
               "uid", "user", "username", "password", "pwd", "searchpath", "sslmode"});
    QtSettings s;
    s.driver = QStringLiteral("QPSQL");
    s.host = FirstOf({"host", "server", "datasource"});
    if (Has(QStringLiteral("port"))) {
        bool ok = false;
        s.port = Value(QStringLiteral("port")).toInt(&ok);
        if (!ok || s.port < 1 || s.port > 65535)
            Fail(QStringLiteral("Port deve ser um número entre 1 e 65535"));
    }
    s.databaseName = FirstOf({"database", "initialcatalog"});
    s.userName = FirstOf({"userid", "uid", "user", "username"});
    s.password = Password();

    // libpq's own options; QPSQL hands them over as they are, so only checked values go in.
    QStringList options{QStringLiteral("connect_timeout=%1").arg(ConnectTimeout())};
    if (Has(QStringLiteral("sslmode"))) {
        static const QStringList modes = {"disable", "allow",     "prefer",
                                          "require", "verify-ca", "verify-full"};
        const QString mode = Value(QStringLiteral("sslmode")).toLower();
        if (!modes.contains(mode))
            Fail(QStringLiteral("SSL Mode deve ser um de: %1")
                     .arg(modes.join(QStringLiteral(", "))));
        options << QStringLiteral("sslmode=") + mode;
    }
    if (Has(QStringLiteral("searchpath"))) {
        static const QRegularExpression names(
            QStringLiteral("^\\s*[A-Za-z_][A-Za-z0-9_$]*(\\s*,\\s*[A-Za-z_][A-Za-z0-9_$]*)*\\s*$"));
        QString path = Value(QStringLiteral("searchpath"));
        if (!names.match(path).hasMatch())
            Fail(QStringLiteral(
                "Search Path deve ser uma lista de nomes de esquema separados por vírgula"));
        path.remove(QLatin1Char(' '));
        options << QStringLiteral("options='-c search_path=%1'").arg(path);
    }
    s.connectOptions = options.join(QLatin1Char(';'));
    s.description = QStringLiteral("PostgreSQL, %1:%2, banco %3")
                        .arg(s.host.isEmpty() ? QStringLiteral("local") : s.host)
                        .arg(s.port < 0 ? 5432 : s.port)
                        .arg(s.databaseName.isEmpty() ? s.userName : s.databaseName);
    return s;
}

// ODBC (MSDASQL): a data source name or a driver string. Keys other than the ones named here go
// to the ODBC driver unchanged, as MSDASQL does; Extended Properties holds more of them.
ADOConnectionString::QtSettings ADOConnectionString::ToODBC() const
{
    ADOConnectionString all;
    for (const auto &item : m_items) {
        if (NormalKey(item.first) != u"extendedproperties") {
            all.m_items.push_back(item);
            continue;
        }
        const ADOConnectionString extended = Parse(item.second);
        all.m_items.insert(all.m_items.end(), extended.m_items.begin(), extended.m_items.end());
    }
    const QString dsn = all.FirstOf({"dsn", "datasource"});
    const QString driver = all.Value(QStringLiteral("driver"));
    if (dsn.isEmpty() && driver.isEmpty())
        Fail(QStringLiteral(
            "o provedor MSDASQL precisa de DSN=<fonte ODBC> ou Driver={<driver ODBC>}"));

    static const QStringList own = {"provider",
                                    "persistsecurityinfo",
                                    "connecttimeout",
                                    "connectiontimeout",
                                    "dsn",
                                    "datasource",
                                    "driver",
                                    "userid",
                                    "uid",
                                    "password",
                                    "pwd",
                                    "initialcatalog",
                                    "database"};
    QStringList parts;
    if (!dsn.isEmpty())
        parts << QStringLiteral("DSN=") + OdbcValue(dsn);
    if (!driver.isEmpty())
        parts << QStringLiteral("DRIVER={%1}")
                     .arg(QString(driver).replace(u'}', QStringLiteral("}}")));
    const QString user = all.FirstOf({"userid", "uid"});
    if (!user.isEmpty())
        parts << QStringLiteral("UID=") + OdbcValue(user);
    const QString password = all.FirstOf({"password", "pwd"});
    if (!password.isEmpty())
        parts << QStringLiteral("PWD=") + OdbcValue(password);
    const QString database = all.FirstOf({"initialcatalog", "database"});
    if (!database.isEmpty())
        parts << QStringLiteral("DATABASE=") + OdbcValue(database);
    for (const auto &[key, value] : all.m_items)
        if (!own.contains(NormalKey(key)))
            parts << key + QLatin1Char('=') + OdbcValue(value);

    QtSettings s;
    s.driver = QStringLiteral("QODBC");
    s.password = password;
    s.connectOptions = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(ConnectTimeout());
    s.description = dsn.isEmpty() ? QStringLiteral("ODBC, driver %1").arg(driver)
                                  : QStringLiteral("ODBC, fonte %1").arg(dsn);
    // QODBC reads a name holding ".dsn" as a file data source, and prefixes "DSN=" unless it sees
    // DRIVER= or SERVER=; the string is shaped so that it goes through as written.
    const QString full = parts.join(QLatin1Char(';'));
    if (full.contains(QStringLiteral(".dsn"), Qt::CaseInsensitive))
        Fail(QStringLiteral("o texto \".dsn\" não é aceito numa string ODBC (o driver Qt o lê como "
                            "arquivo de fonte de dados)"));
    const bool passedAsIs = full.contains(QStringLiteral("DRIVER="), Qt::CaseInsensitive) ||
                            full.contains(QStringLiteral("SERVER="), Qt::CaseInsensitive);
    s.databaseName = passedAsIs ? full : full.mid(int(qstrlen("DSN=")));
    return s;
}

// A string without Provider= takes the connection's design-time provider, Oracle's for the
// module: its failures say so, since the reader of a SQLite or PostgreSQL string would not guess.
ADOConnectionString::QtSettings
ADOConnectionString::ToOracleSaidOrDefault(const QString &provider) const
{
    if (Has(QStringLiteral("provider")))
        return ToOracle(provider);
    try {
        return ToOracle(provider);
    } catch (const EADOError &error) {
        throw EADOError(QStringLiteral("A string de conexão não diz Provider=, então vale o "
                                       "provedor padrão %1, o do Oracle (para SQLite, PostgreSQL "
                                       "ou ODBC, comece com Provider=SQLite, Provider=PostgreSQL "
                                       "ou Provider=MSDASQL). %2")
                            .arg(provider, error.Message()),
                        error.NativeError());
    }
}

ADOConnectionString::QtSettings ADOConnectionString::ToOracle(const QString &provider) const
{
    CheckKeys(QStringLiteral("Oracle"), {"datasource", "userid", "password"});
    QtSettings s;
    s.driver = QStringLiteral("QOCI");
    s.databaseName = Value(QStringLiteral("datasource"));
    s.userName = Value(QStringLiteral("userid"));
    s.password = Password();
    s.description = QStringLiteral("Oracle, %1").arg(s.databaseName);
    if (!QSqlDatabase::isDriverAvailable(s.driver))
        throw EADOError(
            QStringLiteral(
                "O acesso ao Oracle pelo provedor %1 precisa do driver Qt QOCI, que não está "
                "instalado "
                "nesta máquina. Use o Oracle por ODBC: Provider=MSDASQL;DSN=<fonte ODBC do "
                "Oracle>;User ID=<usuário>;Password=<senha>")
                .arg(provider));
    return s;
}

void ADOConnectionString::QtSettings::ApplyTo(QSqlDatabase &db) const
{
    db.setDatabaseName(databaseName);
    db.setHostName(host);
    db.setPort(port);
    db.setUserName(userName);
    // QODBC would append ";PWD=" and the password unquoted, so a ';' in it would break the string.
    if (driver != u"QODBC")
        db.setPassword(password);
    db.setConnectOptions(connectOptions);
}
