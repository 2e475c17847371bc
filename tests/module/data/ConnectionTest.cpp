// Connection strings, connection errors and the host library's error line.
#include "TestDatabase.h"

#include "ADOConnectionString.h"
#include "EADOError.h"
#include "Geralkvr.h"
#include "Kvr_molvane.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <future>
#include <gtest/gtest.h>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const QString Secret = QStringLiteral("Segr3d0!x");

// Opens a connection with that string; the error text, or empty when it opened.
QString OpenError(const QString &connectionString, const QString &designProvider = {})
{
    TADOConnection connection;
    connection.SetProvider(designProvider);
    connection.SetConnectionString(connectionString);
    try {
        connection.Open();
    } catch (const EDatabaseError &error) {
        return error.Message();
    }
    return {};
}

TEST(ConnectionString, ValuesMayBeQuotedOrBraced)
{
    const struct {
        const char *text;
        const char *key;
        const char *value;
    } cases[] = {
        {"Provider=SQLite;Data Source=/tmp/a.db", "data source", "/tmp/a.db"},
        {"  Provider = SQLite ; Data Source =  /tmp/a.db  ;", "DATA SOURCE", "/tmp/a.db"},
        {"Data Source=\"/tmp/a;b.db\";Provider=SQLite", "Data Source", "/tmp/a;b.db"},
        {"Password='it''s;x'", "password", "it's;x"},
        {"Password=\"say \"\"hi\"\"\"", "password", "say \"hi\""},
        {"Driver={PostgreSQL Unicode};Server=h", "driver", "PostgreSQL Unicode"},
        {"PWD={a}}b;c}", "pwd", "a}b;c"},
        {"UserID=kvr", "User ID", "kvr"},
        {"Port=1;Port=2", "port", "2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const ADOConnectionString parsed = ADOConnectionString::Parse(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.Value(c.key), QString::fromUtf8(c.value));
    }
    EXPECT_EQ(ADOConnectionString::Parse("Extended Properties=\"DSN=x;PWD=p1\"").Password(), "p1");
}

TEST(ConnectionString, BadStringsGiveClearErrorsWithoutThePassword)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("kpf.db");
    QFile(existing).open(QIODevice::WriteOnly);
    const QString pw = QStringLiteral(";Password=") + Secret;
    const struct {
        const char *name;
        QString text;
        QString designProvider;
        QString expected;
    } cases[] = {
        {"unknown provider", "Provider=Foo;Data Source=x" + pw, {}, "'Foo' é desconhecido"},
        {"unknown SQLite key",
         "Provider=SQLite;Data Source=" + existing + ";Colour=red" + pw,
         {},
         "'Colour' não é aceita pelo provedor SQLite"},
        {"unknown PostgreSQL key",
         "Provider=PostgreSQL;Host=127.0.0.1;Bogus=1" + pw,
         {},
         "'Bogus' não é aceita pelo provedor PostgreSQL"},
        {"no provider at all", "Data Source=x" + pw, {}, "nenhum provedor"},
        {"a PostgreSQL string without its provider", "Host=127.0.0.1;Database=kpf05520" + pw,
         "MSDAORA.1", "não diz Provider=, então vale o provedor padrão MSDAORA.1"},
        {"item without a value", "Provider=SQLite;" + Secret, {}, "Chave=Valor"},
        {"unclosed quote", "Provider=SQLite;Password=\"" + Secret, {}, "não foi fechado"},
        {"text after quotes",
         "Provider=SQLite;Password=\"" + Secret + "\"x",
         {},
         "depois do valor"},
        {"port not a number", "Provider=PostgreSQL;Port=http" + pw, {}, "Port deve ser"},
        {"timeout not a number",
         "Provider=PostgreSQL;Connect Timeout=0" + pw,
         {},
         "Connect Timeout"},
        {"search path that is not a name list",
         "Provider=PostgreSQL;Search Path=x' host=evil" + pw,
         {},
         "Search Path"},
        {"ODBC without source", "Provider=MSDASQL;UID=a" + pw, {}, "DSN=<fonte ODBC>"},
        {"SQLite without file", "Provider=SQLite" + pw, {}, "Data Source"},
        {"SQLite folder", "Provider=SQLite;Data Source=" + dir.path() + pw, {}, "não é um arquivo"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString error = OpenError(c.text, c.designProvider);
        EXPECT_TRUE(error.contains(c.expected)) << error.toStdString();
        EXPECT_FALSE(error.contains(Secret)) << error.toStdString();
    }
}

TEST(ConnectionString, OracleWithoutOciNamesTheOdbcRoute)
{
    if (QSqlDatabase::isDriverAvailable("QOCI"))
        GTEST_SKIP() << "the Qt OCI driver is installed here";
    const QString pw = QStringLiteral(";User ID=kvr;Password=") + Secret;
    // A string without Provider takes the connection's design-time provider.
    for (const auto &[text, design] :
         {std::pair{"Provider=MSDAORA.1;Data Source=ORCL" + pw, QString()},
          std::pair{"Provider=OraOLEDB.Oracle;Data Source=ORCL" + pw, QString()},
          std::pair{"Data Source=ORCL" + pw, QStringLiteral("MSDAORA.1")}}) {
        SCOPED_TRACE(text.toStdString());
        const QString error = OpenError(text, design);
        EXPECT_TRUE(error.contains("QOCI")) << error.toStdString();
        EXPECT_TRUE(error.contains("Provider=MSDASQL;DSN=")) << error.toStdString();
        EXPECT_EQ(error.contains("não diz Provider="), !design.isEmpty()) << error.toStdString();
        EXPECT_FALSE(error.contains(Secret));
    }
}

TEST(ConnectionString, MissingSQLiteFileIsNeverCreated)
{
    QTemporaryDir dir;
    // The password also appears in the path: the error names the file but not the password.
    const QString file = dir.filePath(Secret + "/kpf05520.db");
    const QString error = OpenError("Provider=SQLite;Data Source=" + file + ";Password=" + Secret);
    EXPECT_TRUE(error.contains("não existe")) << error.toStdString();
    EXPECT_FALSE(error.contains(Secret)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(Secret)));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// A socket that accepts connections (the kernel does) but never says a word.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_fd, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
            listen(m_fd, 4) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { close(m_fd); }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

TEST(ConnectionString, ServerThatDoesNotAnswerIsGivenUpWithinSeconds)
{
    SilentServer server;
    ASSERT_NE(server.port(), 0);
    const struct {
        const char *driver;
        QString text;
    } cases[] = {
        {"QPSQL",
         QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=kpf;User ID=kvr;"
                        "Password=%2")},
        {"QODBC", QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;"
                                 "Port=%1;Database=kpf;UID=kvr;PWD=%2")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.driver);
        if (!QSqlDatabase::isDriverAvailable(c.driver))
            continue;
        QElapsedTimer timer;
        timer.start();
        const QString error = OpenError(c.text.arg(server.port()).arg(Secret));
        EXPECT_LT(timer.elapsed(), 9000);
        EXPECT_TRUE(error.contains("Não foi possível conectar")) << error.toStdString();
        EXPECT_FALSE(error.contains(Secret));
    }
}

TEST(HostLibrary, ErrorLineCarriesMessageAndCode)
{
    TADOConnection connection; // knows the password once it has read its string
    connection.SetConnectionString("Provider=Foo;Password=" + Secret);
    EXPECT_THROW(connection.Open(), EDatabaseError);

    const struct {
        const char *name;
        std::function<QString()> line;
        QString expected;
    } cases[] = {
        {"code from the database",
         [&] {
             return Kvr_molvane::ADOExceptionMessage(EADOError("relation missing", "42P01"),
                                                     &connection, "");
         },
         "Erro de banco de dados [código 42P01]: relation missing"},
        {"no code",
         [&] {
             return Kvr_molvane::ADOExceptionMessage(EDatabaseError("closed"), &connection, "");
         },
         "Erro de banco de dados: closed"},
        {"context",
         [&] {
             return Kvr_molvane::ADOExceptionMessage(EDatabaseError("closed"), nullptr,
                                                     "getPesqImp");
         },
         "Erro de banco de dados: closed (getPesqImp)"},
        {"not a database error",
         [&] { return Kvr_molvane::ADOExceptionMessage(std::runtime_error("bad"), nullptr, ""); },
         "Erro: bad"},
        {"several lines become one",
         [&] {
             return Kvr_molvane::ADOExceptionMessage(EADOError("FATAL: x\nDETAIL: y\n", "08006"),
                                                     nullptr, "");
         },
         "Erro de banco de dados [código 08006]: FATAL: x DETAIL: y"},
        {"password masked",
         [&] {
             return Kvr_molvane::ADOExceptionMessage(EADOError("user " + Secret + " refused"),
                                                     &connection, "");
         },
         "Erro de banco de dados: user **** refused"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.line(), c.expected);
    }
}

TEST(HostLibrary, TryConnectReportsInsteadOfRaising)
{
    TestDatabase db(Backend::SQLite);
    TADOConnection connection;
    connection.SetConnectionString("Provider=SQLite;Data Source=/nonexistent/kpf.db");
    bool opened = true;
    EXPECT_NO_THROW(opened = Kvr_molvane::TryConnect(&connection));
    EXPECT_FALSE(opened);
    connection.SetConnectionString(db.ConnectionString());
    EXPECT_TRUE(Kvr_molvane::TryConnect(&connection));
    EXPECT_TRUE(connection.Connected());
    EXPECT_THROW(connection.SetConnectionString("Provider=SQLite"), EDatabaseError);
}

TEST(DataFunctions, WithoutTheModuleTheyReturnAnErrorText)
{
    ASSERT_EQ(Srv_Kpf05520::rdmImpost, nullptr);
    for (const Variant &result :
         {Srv_Kpf05520::GetImpRedZ("0001", "001", 46000.0), Srv_Kpf05520::GetPesqImp("01")}) {
        ASSERT_TRUE(result.isText());
        EXPECT_TRUE(result.text().contains("rdmImpost")) << result.text().toStdString();
    }
}

// Logging in to the test server with bad credentials, directly and through ODBC.
class ServerLoginTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override { KPF_SKIP_WITHOUT_SERVER(GetParam()); }

    QString StringFor(const QString &user, const QString &password) const
    {
        const ServerSettings s = ServerSettings::FromEnvironment();
        if (GetParam() == Backend::ODBC)
            return QStringLiteral("Provider=MSDASQL;DSN=%1;UID=%2;PWD=%3")
                .arg(s.odbcDsn, user, password);
        return QStringLiteral(
                   "Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;Password=%5")
            .arg(s.host, s.port, s.database, user, password);
    }
};

TEST_P(ServerLoginTest, WrongPasswordIsAClearErrorWithoutThePassword)
{
    const ServerSettings server = ServerSettings::FromEnvironment();
    const QString wrong = server.password + "-wrong";
    Geralkvr::SetStringConexKvr(StringFor(server.user, wrong));
    TrdmImpost module;
    QString line;
    QElapsedTimer timer;
    timer.start();
    try {
        module.adcImpost->Open();
        ADD_FAILURE() << "the connection opened with a wrong password";
    } catch (const EDatabaseError &error) {
        line = Kvr_molvane::ADOExceptionMessage(error, module.adcImpost, "");
    }
    Geralkvr::SetStringConexKvr(QString());
    EXPECT_LT(timer.elapsed(), 2000) << "a wrong password is no reason to try again";
    EXPECT_TRUE(line.contains("password authentication failed")) << line.toStdString();
    EXPECT_FALSE(line.contains(wrong)) << line.toStdString();
    EXPECT_FALSE(module.adcImpost->Connected());
}

TEST_P(ServerLoginTest, PasswordIsMaskedInTheDriversOwnText)
{
    // The server names the user in its refusal; here the user name is the password.
    const QString error = OpenError(StringFor(Secret, Secret));
    EXPECT_TRUE(error.contains("****")) << error.toStdString();
    EXPECT_FALSE(error.contains(Secret)) << error.toStdString();
}

// A role of its own that may hold one connection at a time, and a thread that holds that one for a
// while: the server then answers "too many connections for role" (53300), as a full server does.
class BusyRole
{
public:
    BusyRole()
    {
        QSqlDatabase admin = AdminConnection();
        m_ok = admin.open() &&
               QSqlQuery(admin).exec(
                   QStringLiteral("CREATE ROLE %1 LOGIN CONNECTION LIMIT 1 PASSWORD '%2'")
                       .arg(m_name, Secret));
        m_error = admin.lastError().text();
    }
    ~BusyRole()
    {
        if (m_holder.joinable())
            m_holder.join();
        {
            QSqlDatabase admin = AdminConnection();
            if (admin.open())
                QSqlQuery(admin).exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_name));
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    QString name() const { return m_name; }

    // Holds the role's one connection for holdMs; returns once it is held.
    bool Hold(int holdMs)
    {
        std::promise<bool> held;
        std::future<bool> heldNow = held.get_future();
        m_holder = std::thread([this, holdMs, held = std::move(held)]() mutable {
            const QString name = m_name + QStringLiteral("_held");
            {
                const ServerSettings s = ServerSettings::FromEnvironment();
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
                db.setHostName(s.host);
                db.setPort(s.port.toInt());
                db.setDatabaseName(s.database);
                db.setUserName(m_name);
                db.setPassword(Secret);
                const bool opened = db.open();
                held.set_value(opened);
                if (opened)
                    QThread::msleep(ulong(holdMs));
                db.close();
            }
            QSqlDatabase::removeDatabase(name);
        });
        return heldNow.get();
    }

private:
    QSqlDatabase AdminConnection() const
    {
        const ServerSettings s = ServerSettings::FromEnvironment();
        QSqlDatabase db = QSqlDatabase::contains(m_name)
                              ? QSqlDatabase::database(m_name, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(s.host);
        db.setPort(s.port.toInt());
        db.setDatabaseName(s.database);
        db.setUserName(s.user);
        db.setPassword(s.password);
        return db;
    }

    QString m_name = QStringLiteral("kpf_busy_%1").arg(QCoreApplication::applicationPid());
    bool m_ok = false;
    QString m_error;
    std::thread m_holder;
};

// Busy for a second: the opening waits it out; busy for longer than its five seconds: it says the
// server is busy and that the operator can try again. A wrong password fails at once (above).
TEST_P(ServerLoginTest, AConnectionLimitIsRiddenOutWhileItIsShort)
{
    const struct {
        const char *name;
        int busyMs;
        bool opens;
    } cases[] = {{"busy_for_a_second", 1000, true}, {"busy_for_longer", 8000, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BusyRole role;
        ASSERT_TRUE(role.ok()) << role.error().toStdString();
        ASSERT_TRUE(role.Hold(c.busyMs));
        QElapsedTimer timer;
        timer.start();
        const QString error = OpenError(StringFor(role.name(), Secret));
        const qint64 elapsed = timer.elapsed();
        if (c.opens) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
            EXPECT_GE(elapsed, 900);
        } else {
            EXPECT_TRUE(error.contains(QStringLiteral("ocupado ou iniciando; tente de novo")))
                << error.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral("too many connections")))
                << error.toStdString();
            EXPECT_GE(elapsed, 2500);
            EXPECT_LT(elapsed, 7000);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerLoginTest,
                         ::testing::Values(Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

} // namespace
