// GetImpRedZ and GetPesqImp through the real data module, on each database.
#include "TestDatabase.h"

#include "DateTime.h"
#include "Geralkvr.h"
#include "Kvr_molvane.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"
#include "TADOQuery.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using Srv_Kpf05520::GetImpRedZ;
using Srv_Kpf05520::GetPesqImp;
using Srv_Kpf05520::rdmImpost;

namespace
{

class DataModuleTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        KPF_SKIP_WITHOUT_SERVER(GetParam());
        m_db = std::make_unique<TestDatabase>(GetParam());
        ASSERT_FALSE(HasFatalFailure());
        Geralkvr::SetStringConexKvr(m_db->ConnectionString());
        rdmImpost = new TrdmImpost(nullptr);
        try {
            rdmImpost->adcImpost->Open();
        } catch (const std::exception &error) {
            FAIL() << "opening the module's connection: " << error.what();
        }
    }

    void TearDown() override
    {
        delete std::exchange(rdmImpost, nullptr);
        Geralkvr::SetStringConexKvr(QString());
        m_db.reset();
    }

    std::unique_ptr<TestDatabase> m_db;
};

struct ImpRedZCase {
    const char *name;
    const char *branch;
    const char *till;
    TDateTime date;
    QStringList rows; // NRECFREDZ/CDIMPOSTO
};

const QStringList TwoZOnDecember3 = {"0000000124/01", "0000000124/03", "0000000125/03"};

TEST_P(DataModuleTest, GetImpRedZSelectsByBranchTillAndDay)
{
    const ImpRedZCase cases[] = {
        {"no stored row", "0001", "001", EncodeDateTime(2026, 12, 25), {}},
        {"two Z reductions on one day", "0001", "001", EncodeDateTime(2026, 12, 3),
         TwoZOnDecember3},
        {"time of day in the date", "0001", "001", EncodeDateTime(2026, 12, 3, 18, 45, 30),
         TwoZOnDecember3},
        {"last millisecond of the day", "0001", "001", EncodeDateTime(2026, 12, 3, 23, 59, 59, 999),
         TwoZOnDecember3},
        {"other till, same day",
         "0001",
         "002",
         EncodeDateTime(2026, 12, 3),
         {"0000000058/00", "0000000058/04"}},
        {"day before",
         "0001",
         "001",
         EncodeDateTime(2026, 12, 2),
         {"0000000122/00", "0000000122/02", "0000000123/03"}},
        {"unknown branch", "0002", "001", EncodeDateTime(2026, 12, 3), {}},
        {"branch not padded", "1", "001", EncodeDateTime(2026, 12, 3), {}},
    };
    const std::vector<DataPacket::FieldDesc> expectedFields = {
        {"CDFILIAL", TFieldType::ftString, 4},    {"CDCAIXA", TFieldType::ftString, 3},
        {"NRECFREDZ", TFieldType::ftString, 10},  {"DTREDUCAOZ", TFieldType::ftDate, 0},
        {"CDIMPOSTO", TFieldType::ftString, 2},   {"VRALIQIMPRZ", TFieldType::ftFloat, 0},
        {"VRBCALCIMPRZ", TFieldType::ftFloat, 0}, {"VRIMPOSTORZ", TFieldType::ftFloat, 0}};
    for (const ImpRedZCase &c : cases) {
        SCOPED_TRACE(c.name);
        const DataPacket packet = PacketOf(GetImpRedZ(c.branch, c.till, c.date));
        ASSERT_EQ(packet.fields.size(), expectedFields.size());
        for (size_t i = 0; i < expectedFields.size(); ++i) {
            EXPECT_EQ(packet.fields[i].name, expectedFields[i].name);
            EXPECT_EQ(packet.fields[i].type, expectedFields[i].type) << i;
            EXPECT_EQ(packet.fields[i].size, expectedFields[i].size) << i;
        }
        EXPECT_EQ(RowKeys(packet), c.rows);
    }
}

TEST_P(DataModuleTest, StoredValuesArriveAsTextsDatesAndFloats)
{
    const DataPacket packet = PacketOf(GetImpRedZ("0001", "001", EncodeDateTime(2026, 12, 3)));
    const auto row = std::find_if(packet.rows.begin(), packet.rows.end(), [](const auto &r) {
        return r.values[2] == QVariant("0000000124") && r.values[4] == QVariant("03");
    });
    ASSERT_NE(row, packet.rows.end());
    EXPECT_EQ(row->values[0], QVariant("0001"));
    EXPECT_EQ(row->values[1], QVariant("001"));
    EXPECT_EQ(row->values[3], QVariant(QDate(2026, 12, 3)));
    EXPECT_DOUBLE_EQ(row->values[5].toDouble(), 18.0);
    EXPECT_DOUBLE_EQ(row->values[6].toDouble(), 2500.5);
    EXPECT_DOUBLE_EQ(row->values[7].toDouble(), 450.09);
}

TEST_P(DataModuleTest, GetPesqImpLooksEachCodeUpAfresh)
{
    const struct {
        const char *code;
        const char *name; // nullptr: not registered
    } lookups[] = {{"01", "ICMS 7%"}, {"05", "SUBSTITUIÇÃO TRIBUTÁRIA"},
                   {"99", nullptr},   {"", nullptr},
                   {"01", "ICMS 7%"}, {"1", nullptr}};
    for (const auto &lookup : lookups) {
        SCOPED_TRACE(lookup.code);
        const DataPacket packet = PacketOf(GetPesqImp(QString::fromUtf8(lookup.code)));
        ASSERT_EQ(packet.fields.size(), 2u);
        EXPECT_EQ(packet.fields[0].name, "CDIMPOSTO");
        EXPECT_EQ(packet.fields[0].size, 2);
        EXPECT_EQ(packet.fields[1].name, "NMIMPOSTO");
        EXPECT_EQ(packet.fields[1].size, 40);
        if (!lookup.name) {
            EXPECT_TRUE(packet.rows.empty());
            continue;
        }
        ASSERT_EQ(packet.rows.size(), 1u);
        EXPECT_EQ(packet.rows[0].values[0].toString(), QString::fromUtf8(lookup.code));
        EXPECT_EQ(packet.rows[0].values[1].toString(), QString::fromUtf8(lookup.name));
    }
}

TEST_P(DataModuleTest, CodesAreBoundNeverInterpreted)
{
    ASSERT_TRUE(
        m_db->Exec("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO) VALUES ('''1', 'APOSTROFO')"));
    const int stored = m_db->Count("SELECT COUNT(*) FROM IMPOSTO");
    const char *hostile[] = {"' OR '1'='1", "01' --", "01'; DROP TABLE IMPOSTO; --",
                             "0%",          "0_",     ":P_CDIMPOSTO",
                             "01\\",        "\"01\"", "01 OR 1=1"};
    for (const char *code : hostile) {
        SCOPED_TRACE(code);
        EXPECT_TRUE(PacketOf(GetPesqImp(QString::fromUtf8(code))).rows.empty());
    }
    const DataPacket quoted = PacketOf(GetPesqImp("'1"));
    ASSERT_EQ(quoted.rows.size(), 1u);
    EXPECT_EQ(quoted.rows[0].values[1].toString(), "APOSTROFO");
    EXPECT_EQ(m_db->Count("SELECT COUNT(*) FROM IMPOSTO"), stored);
    EXPECT_EQ(
        PacketOf(GetImpRedZ("0001' OR '1'='1", "001", EncodeDateTime(2026, 12, 3))).rows.size(),
        0u);
}

TEST_P(DataModuleTest, DatabaseErrorComesBackAsTextAndTheNextCallWorks)
{
    ASSERT_TRUE(m_db->Exec("ALTER TABLE IMPOSTO RENAME TO IMPOSTO_OLD"));
    Variant result;
    EXPECT_NO_THROW(result = GetPesqImp("01"));
    ASSERT_TRUE(result.isText());
    EXPECT_TRUE(result.text().startsWith("Erro de banco de dados")) << result.text().toStdString();
    EXPECT_TRUE(result.text().contains("imposto", Qt::CaseInsensitive))
        << result.text().toStdString();
    EXPECT_FALSE(result.text().contains('\n'));

    ASSERT_TRUE(m_db->Exec("ALTER TABLE IMPOSTO_OLD RENAME TO IMPOSTO"));
    EXPECT_EQ(PacketOf(GetPesqImp("01")).rows.size(), 1u);
}

TEST_P(DataModuleTest, SessionIsSetUpForReadingOnly)
{
    QSqlQuery query(rdmImpost->adcImpost->Database());
    if (GetParam() == Backend::SQLite) {
        ASSERT_TRUE(query.exec("PRAGMA busy_timeout") && query.next());
        EXPECT_EQ(query.value(0).toInt(), 5000);
    } else if (GetParam() == Backend::PostgreSQL) {
        ASSERT_TRUE(query.exec("SHOW DateStyle") && query.next());
        EXPECT_EQ(query.value(0).toString(), "ISO, YMD");
    }
    if (GetParam() == Backend::ODBC)
        return; // a data source sets up its own session
    // The module never writes; what its queries run refuses to (on PostgreSQL in a read-only
    // transaction of each query's own, which leaves nothing on a pooled server connection).
    TADOQuery writer;
    writer.SetConnection(rdmImpost->adcImpost);
    writer.SQL() << "DELETE FROM IMPOSTOREDZ RETURNING CDIMPOSTO";
    EXPECT_THROW(writer.Open(), EDatabaseError);
    EXPECT_EQ(m_db->Count("SELECT COUNT(*) FROM IMPOSTOREDZ"), 11);
    if (GetParam() == Backend::PostgreSQL) {
        ASSERT_TRUE(query.exec("SHOW default_transaction_read_only") && query.next());
        EXPECT_EQ(query.value(0).toString(), "off");
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, DataModuleTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL, Backend::ODBC),
                         [](const auto &info) { return BackendName(info.param).toStdString(); });

} // namespace
