#include "KpfHostProcess.h"
#include "TestDatabase.h"

#include <QFile>

#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

// A TCP proxy in front of the server that passes everything, except what it is made for:
// DropCommitAnswer: after the first COMMIT of a transaction that inserted, it swallows the
// server's answer and cuts both sides, so the commit takes and the client never hears so;
// FullAfterOne: it passes the first connection (the screen's) and answers every later one as a full
// server does, FATAL 53300 "sorry, too many clients already".
class Proxy
{
public:
    enum Fault { DropCommitAnswer, FullAfterOne };

    Proxy(const QString &host, int port, Fault fault)
        : m_serverHost(host), m_serverPort(port), m_fault(fault)
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Address("127.0.0.1", 0);
        socklen_t size = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            listen(m_listener, 8) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { AcceptLoop(); });
    }
    ~Proxy()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (std::thread &pump : m_pumps)
            pump.join();
        if (m_listener >= 0)
            close(m_listener);
    }
    int port() const { return m_port; }
    bool dropped() const { return m_dropped; }

private:
    static sockaddr_in Address(const char *host, int port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        inet_pton(AF_INET, host, &address.sin_addr);
        return address;
    }
    void AcceptLoop()
    {
        while (!m_stop) {
            pollfd listening{m_listener, POLLIN, 0};
            if (poll(&listening, 1, 50) <= 0)
                continue;
            const int client = accept(m_listener, nullptr, nullptr);
            const int server = socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in address = Address(qPrintable(m_serverHost), m_serverPort);
            if (connect(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) !=
                0) {
                close(client);
                close(server);
                continue;
            }
            if (m_fault == FullAfterOne && m_connections++ > 0) {
                close(server);
                RefuseAsFull(client);
                continue;
            }
            m_pumps.emplace_back([this, client, server] { Pump(client, server); });
        }
    }
    // The start of the protocol as a full server answers it: no to SSL, then the error.
    static void RefuseAsFull(int client)
    {
        char buffer[1024];
        ssize_t n = read(client, buffer, sizeof buffer);
        if (n == 8 && buffer[4] == 0x04 && buffer[5] == char(0xd2)) { // SSLRequest 80877103
            if (write(client, "N", 1) == 1)
                n = read(client, buffer, sizeof buffer);
        }
        QByteArray fields("SFATAL");
        fields += '\0';
        fields += "VFATAL";
        fields += '\0';
        fields += "C53300";
        fields += '\0';
        fields += "Msorry, too many clients already";
        fields += '\0';
        fields += '\0';
        QByteArray message("E");
        const quint32 length = htonl(quint32(fields.size() + 4));
        message.append(reinterpret_cast<const char *>(&length), 4);
        message += fields;
        if (n > 0 && write(client, message.constData(), size_t(message.size())) < 0)
            n = -1;
        close(client);
    }

    void Pump(int client, int server)
    {
        char buffer[65536];
        bool commitSent = false;
        bool inserted = false; // the module's reading transactions commit too
        while (!m_stop) {
            pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(ends, 2, 50) <= 0)
                continue;
            if (ends[0].revents) {
                const ssize_t n = read(client, buffer, sizeof buffer);
                if (n <= 0 || write(server, buffer, size_t(n)) != n)
                    break;
                const QByteArray sent = QByteArray::fromRawData(buffer, int(n));
                inserted = inserted || sent.contains("INSERT INTO");
                commitSent = commitSent || (m_fault == DropCommitAnswer && inserted && !m_dropped &&
                                            sent.contains("COMMIT"));
            }
            if (ends[1].revents) {
                const ssize_t n = read(server, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                if (commitSent) {
                    m_dropped = true; // the answer to COMMIT goes nowhere
                    break;
                }
                if (write(client, buffer, size_t(n)) != n)
                    break;
            }
        }
        close(client);
        close(server);
    }

    QString m_serverHost;
    int m_serverPort;
    Fault m_fault;
    int m_connections = 0; // only touched by the accepting thread
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_dropped{false};
    std::thread m_thread;
    std::vector<std::thread> m_pumps; // only touched by the accepting thread until it is joined
};

// kpfhost pointed with --connection at the test server, directly and through ODBC: the stored
// lines load, a typed line comes back, and a wrong password fails without showing it.
class KpfHostServer : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KPF_SKIP_WITHOUT_SERVER(GetParam());
        ASSERT_TRUE(host.ready()) << host.setupError().toStdString();
        db = std::make_unique<TestDatabase>(GetParam());
        ASSERT_FALSE(HasFatalFailure());
    }

    static std::string show(const KpfHostProcess::Run &run)
    {
        return ("stdout:\n" + run.lines.join(QLatin1Char('\n')) + "\nstderr:\n" + run.errors)
            .toStdString();
    }

    // The test database's connection string with a proxy of that fault between it and the
    // server; the proxy lives as long as the fixture.
    QString ThroughProxy(Proxy::Fault fault)
    {
        const ServerSettings server = ServerSettings::FromEnvironment();
        proxy = std::make_unique<Proxy>(server.host, server.port.toInt(), fault);
        EXPECT_NE(proxy->port(), 0);
        QString connection = db->ConnectionString();
        connection.replace(QStringLiteral("Port=") + server.port,
                           QStringLiteral("Port=%1").arg(proxy->port()));
        return connection;
    }
    int Stored() const { return db->Count(QStringLiteral("SELECT COUNT(*) FROM IMPOSTOREDZ")); }

    static constexpr const char *kTypeALine =
        "type 02\nkey Enter\ntype 12\nkey Enter\ntype 50\nclick blsConfirm\n";

    KpfHostProcess host;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Proxy> proxy;
};

TEST_P(KpfHostServer, TypedLineComesBackBesideTheStoredOnes)
{
    const auto run =
        host.runDemo("type 02\nkey Enter\ntype 12\nkey Enter\ntype 50\nclick blsConfirm\n",
                     {QStringLiteral("--connection"), db->ConnectionString()});
    ASSERT_EQ(run.exitCode, 0) << show(run);
    QStringList codes;
    for (const QJsonObject &row : run.objects(QStringLiteral("ROW ")))
        codes.append(row.value("CDIMPOSTO").toString() + "/" + row.value("rowState").toString());
    codes.sort();
    EXPECT_EQ(codes, (QStringList{"00/original", "02/inserted", "02/original", "03/original"}))
        << show(run);
}

TEST_P(KpfHostServer, WrongPasswordFailsWithoutShowingIt)
{
    const ServerSettings server = ServerSettings::FromEnvironment();
    const QString wrong = QStringLiteral("wrong-") + server.password;
    QString connection = db->ConnectionString();
    connection.replace(QStringLiteral("Password=") + server.password,
                       QStringLiteral("Password=") + wrong);
    ASSERT_TRUE(connection.contains(wrong));
    const auto run = host.runDemo("close\n", {QStringLiteral("--connection"), connection});
    EXPECT_EQ(run.exitCode, 1) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("FAILED ")).size(), 1) << show(run);
    const QString everything = run.lines.join(QLatin1Char('\n')) + run.errors;
    EXPECT_FALSE(everything.contains(wrong)) << show(run);
    EXPECT_FALSE(everything.contains(server.password)) << show(run);
}

// The commit took but its answer was lost: neither "stored" nor "rolled back" is true, and
// kpfhost says that it does not know, with an exit code of its own.
TEST_P(KpfHostServer, LostAnswerToCommitIsReportedAsUnknown)
{
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "the proxy is put between Qt's PostgreSQL driver and the server";
    const QString connection = ThroughProxy(Proxy::DropCommitAnswer);
    const int before = Stored();
    const auto run = host.runDemo(
        kTypeALine, {QStringLiteral("--connection"), connection, QStringLiteral("--store")});
    EXPECT_TRUE(proxy->dropped());
    EXPECT_EQ(run.exitCode, KpfHostProcess::kStoreUnknown) << show(run);
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("STORE UNKNOWN o COMMIT foi enviado")).size(), 1)
        << show(run);
    EXPECT_EQ(Stored(), before + 1) << "the commit took";
    // Kept all the same: storing the spool finds it stored and stores nothing twice.
    ASSERT_EQ(run.linesStartingWith(QStringLiteral("STORE KEPT ")).size(), 1) << show(run);
    const auto spool = host.run(
        {QStringLiteral("--store-spool"), QStringLiteral("--connection"), db->ConnectionString()});
    EXPECT_EQ(spool.exitCode, 0) << show(spool);
    EXPECT_EQ(spool.linesStartingWith(QStringLiteral("ALREADY STORED ")).size(), 1) << show(spool);
    EXPECT_EQ(Stored(), before + 1) << "stored twice";
}

// The server is full once the screen's connection is made, and stays so for longer than the
// store's five seconds: the confirmed result is kept; storing the spool later stores it once, and a
// copy of it that comes back is known as stored.
TEST_P(KpfHostServer, AResultThatCannotBeStoredIsKeptUntilTheSpoolIsStored)
{
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "the proxy is put between Qt's PostgreSQL driver and the server";
    const QString connection = ThroughProxy(Proxy::FullAfterOne);
    const int before = Stored();
    const QString out = host.path(QStringLiteral("result.xml"));
    const auto run =
        host.runDemo(kTypeALine, {QStringLiteral("--connection"), connection,
                                  QStringLiteral("--store"), QStringLiteral("--out"), out});
    EXPECT_EQ(run.exitCode, KpfHostProcess::kStoreKept) << show(run);
    const QStringList kept = run.linesStartingWith(QStringLiteral("STORE KEPT "));
    ASSERT_EQ(kept.size(), 1) << show(run);
    EXPECT_TRUE(kept.first().contains(QStringLiteral("too many clients"))) << show(run);
    EXPECT_EQ(Stored(), before);

    const QStringList storeSpool{QStringLiteral("--store-spool"), QStringLiteral("--connection"),
                                 db->ConnectionString()};
    const auto stored = host.run(storeSpool);
    EXPECT_EQ(stored.exitCode, 0) << show(stored);
    ASSERT_EQ(stored.linesStartingWith(QStringLiteral("STORED ")).size(), 1) << show(stored);
    EXPECT_TRUE(stored.lines.first().endsWith(QStringLiteral(" 1 0"))) << show(stored);
    EXPECT_EQ(Stored(), before + 1);

    const QString again = host.path(QStringLiteral("kpfhost/spool/again.xml"));
    ASSERT_TRUE(QFile::copy(out, again));
    const auto replayed = host.run(storeSpool);
    EXPECT_EQ(replayed.exitCode, 0) << show(replayed);
    EXPECT_EQ(replayed.lines, QStringList{QStringLiteral("ALREADY STORED ") + again})
        << show(replayed);
    EXPECT_EQ(Stored(), before + 1) << "stored twice";
    EXPECT_FALSE(QFile::exists(again));
}

INSTANTIATE_TEST_SUITE_P(Servers, KpfHostServer,
                         ::testing::Values(Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

} // namespace
