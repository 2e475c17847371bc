// The server goes away while the screen is up, and comes back: on a cluster of its own, so that
// the other server tests are not disturbed.
#include "TestDatabase.h"

#include "DateTime.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"

#include <gtest/gtest.h>
#include <iostream>

using Srv_Kpf05520::GetImpRedZ;
using Srv_Kpf05520::GetPesqImp;
using Srv_Kpf05520::rdmImpost;

namespace
{

class LostConnectionTest : public ::testing::Test
{
protected:
    // One cluster for the suite; each test has a schema of its own on it.
    static void SetUpTestSuite()
    {
        if (!MissingServer(Backend::PostgreSQL).isEmpty())
            return;
        s_server = ServerSettings::StartPrivate();
    }

    static void TearDownTestSuite()
    {
        if (!s_server.dataDir.isEmpty())
            RunScript("pg-stop", {s_server.dataDir});
        s_server = {};
    }

    void SetUp() override
    {
        if (const QString missing = MissingServer(Backend::PostgreSQL); !missing.isEmpty()) {
            if (ServerRequired())
                FAIL() << missing.toStdString() << " (KPF_REQUIRE_PG=1)";
            GTEST_SKIP() << missing.toStdString();
        }
        ASSERT_TRUE(s_server.HasServer() && !s_server.dataDir.isEmpty())
            << "scripts/pg-start failed";
        // A previous test may have left it stopped.
        if (RunScript("pg-ctl", {s_server.dataDir, "status"}) != 0) {
            ASSERT_EQ(RunScript("pg-ctl", {s_server.dataDir, "start"}), 0);
        }
        m_db = std::make_unique<TestDatabase>(Backend::PostgreSQL, s_server);
        ASSERT_FALSE(HasFatalFailure());
        Geralkvr::SetStringConexKvr(m_db->ConnectionString());
        rdmImpost = new TrdmImpost(nullptr);
        rdmImpost->adcImpost->Open();
    }

    void TearDown() override
    {
        delete std::exchange(rdmImpost, nullptr);
        Geralkvr::SetStringConexKvr(QString());
        m_db.reset();
    }

    void ExpectErrorText(const Variant &result)
    {
        ASSERT_TRUE(result.isText()) << "expected an error text while the server is down";
        EXPECT_TRUE(result.text().startsWith("Erro de banco de dados"))
            << result.text().toStdString();
        EXPECT_FALSE(result.text().contains(s_server.password)) << result.text().toStdString();
        std::cout << "  error text: " << result.text().toStdString() << '\n';
    }

    static inline ServerSettings s_server;
    std::unique_ptr<TestDatabase> m_db;
};

TEST_F(LostConnectionTest, ScreenWorksAgainAsSoonAsTheServerIsBack)
{
    const TDateTime day = EncodeDateTime(2026, 12, 3);
    EXPECT_EQ(RowKeys(PacketOf(GetImpRedZ("0001", "001", day))).size(), 3);

    ASSERT_EQ(RunScript("pg-ctl", {s_server.dataDir, "stop"}), 0);
    Variant result;
    EXPECT_NO_THROW(result = GetPesqImp("01")); // the query fails on the dead connection
    ExpectErrorText(result);
    EXPECT_NO_THROW(result = GetImpRedZ("0001", "001", day)); // reopening fails: still down
    ExpectErrorText(result);
    EXPECT_FALSE(rdmImpost->adcImpost->Connected());

    ASSERT_EQ(RunScript("pg-ctl", {s_server.dataDir, "start"}), 0);
    EXPECT_EQ(RowKeys(PacketOf(GetImpRedZ("0001", "001", day))).size(), 3);
    EXPECT_EQ(PacketOf(GetPesqImp("01")).rows.size(), 1u);
    EXPECT_TRUE(rdmImpost->adcImpost->Connected());
}

TEST_F(LostConnectionTest, ServerRestartedBetweenCallsIsNotNoticed)
{
    EXPECT_EQ(PacketOf(GetPesqImp("01")).rows.size(), 1u);
    ASSERT_EQ(RunScript("pg-ctl", {s_server.dataDir, "stop"}), 0);
    ASSERT_EQ(RunScript("pg-ctl", {s_server.dataDir, "start"}), 0);
    // The old session is gone; the query reopens the connection once and runs again.
    EXPECT_EQ(PacketOf(GetPesqImp("02")).rows.size(), 1u);
    EXPECT_EQ(PacketOf(GetImpRedZ("0001", "002", EncodeDateTime(2026, 12, 2))).rows.size(), 1u);
}

} // namespace
