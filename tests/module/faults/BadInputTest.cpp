// Bad input from the host: its data set, its packets through the C entry, its connection string,
// and codes with quotes and SQL in them. Each gives one clear text and leaves nothing half made.
#include "ReliabilityFixture.h"

#include "Cli_Kpf05520.h"
#include "DataPacket.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "kpf05520.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cmath>

namespace
{

const ZKey kKey; // referenceDate == zDate: with printer type 14 the first line comes from the host

// --- the host's data set -------------------------------------------------------------------

struct SourceCase {
    const char *name;
    QList<SourceLine> lines;
    const char *missingField; // nullptr: all four fields
    const char *expected;
};

const SourceCase kSourceCases[] = {
    {"RateNotANumber", {{"01", "sete", "100", "7"}}, nullptr, "'sete' não é um valor numérico"},
    {"BaseWithFullStop", {{"01", "7", "100.50", "7"}}, nullptr, "'100.50' não é um valor numérico"},
    {"BaseEmpty", {{"01", "7", "", "7"}}, nullptr, "'' não é um valor numérico"},
    {"TaxWithBlank", {{"01", "7", "100", "7 "}}, nullptr, "'7 ' não é um valor numérico"},
    {"RateOverflows", {{"01", "1" + QString(400, u'0'), "100", "7"}}, nullptr, "não é um valor"},
    {"NoRateField", {{"01", "7", "100", "7"}}, "VRALIQIMPFIS", "VRALIQIMPFIS"},
    {"NoCodeField", {{"01", "7", "100", "7"}}, "CDIMPOSTO", "CDIMPOSTO"},
    {"NoTaxField", {{"01", "7", "100", "7"}}, "VRIMPOSTO", "VRIMPOSTO"},
};

class BadSource : public ReliabilityFixture, public ::testing::WithParamInterface<SourceCase>
{
};

// The host's data set built as the host would, without the one field the case leaves out.
std::unique_ptr<TClientDataSet> SourceWithout(const QList<SourceLine> &lines, const char *missing)
{
    auto source = std::make_unique<TClientDataSet>();
    const char *names[] = {"CDIMPOSTO", "VRALIQIMPFIS", "VRVENDIDO", "VRIMPOSTO"};
    for (const char *name : names)
        if (!missing || qstrcmp(name, missing) != 0)
            source->AddField(QString::fromLatin1(name), TFieldType::ftString, 500);
    source->CreateDataSet();
    for (const SourceLine &line : lines) {
        source->Insert();
        const QString values[] = {line.cdImposto, line.vrAliqImpFis, line.vrVendido,
                                  line.vrImposto};
        for (int i = 0; i < 4; ++i)
            if (!missing || qstrcmp(names[i], missing) != 0)
                source->FieldByName(QString::fromLatin1(names[i]))->SetAsString(values[i]);
        source->Post();
    }
    source->First();
    return source;
}

TEST_P(BadSource, ClearErrorAndNoScreen)
{
    const SourceCase &c = GetParam();
    WriteSettings(QStringLiteral("14"));
    auto source = SourceWithout(c.lines, c.missingField);
    const QString error = FailedEntryText({}, kKey, source.get());
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << error.toStdString();
    EXPECT_FALSE(ActionRan());
    ExpectNothingLeft();
    ExpectNoSecret({error});
    EXPECT_EQ(source->RecordCount(), c.lines.size()) << "the host's data set was changed";
}

INSTANTIATE_TEST_SUITE_P(Reliability, BadSource, ::testing::ValuesIn(kSourceCases),
                         [](const auto &info) { return std::string(info.param.name); });

// --- packets through the C entry -------------------------------------------------------------

const char *const kFields = "<FIELD attrname=\"CDIMPOSTO\" fieldtype=\"string\" WIDTH=\"2\"/>"
                            "<FIELD attrname=\"VRALIQIMPFIS\" fieldtype=\"string\" WIDTH=\"9\"/>"
                            "<FIELD attrname=\"VRVENDIDO\" fieldtype=\"string\" WIDTH=\"9\"/>"
                            "<FIELD attrname=\"VRIMPOSTO\" fieldtype=\"string\" WIDTH=\"9\"/>";
const char *const kRow =
    "<ROW CDIMPOSTO=\"01\" VRALIQIMPFIS=\"7\" VRVENDIDO=\"100\" VRIMPOSTO=\"7\"/>";

QByteArray SourcePacket(const QByteArray &extraFields, const QByteArray &rows)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DATAPACKET Version=\"2.0\"><METADATA>"
           "<FIELDS>" +
           QByteArray(kFields) + extraFields + "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows +
           "</ROWDATA></DATAPACKET>";
}

struct PacketCase {
    const char *name;
    QByteArray packet;
    const char *expected;
    int record = 0;
};

// Many fields, or one ROW of many attributes behind a comment whose apostrophe must not hide them.
QByteArray ManyFields(int count)
{
    QByteArray fields;
    for (int i = 0; i < count; ++i)
        fields +=
            "<FIELD attrname=\"F" + QByteArray::number(i) + "\" fieldtype=\"string\" WIDTH=\"9\"/>";
    return fields;
}

QByteArray ManyAttributesAfterAComment(int count)
{
    QByteArray row = "<!-- ' --><ROW";
    for (int i = 0; i < count; ++i)
        row += " A" + QByteArray::number(i) + "=\"1\"";
    return row + "/><!-- ' -->";
}

const PacketCase kPacketCases[] = {
    {"UnknownFieldType", SourcePacket("<FIELD attrname=\"X\" fieldtype=\"bin.hex\"/>", kRow),
     "bin.hex"},
    {"DuplicateField", SourcePacket("<FIELD attrname=\"VRVENDIDO\" fieldtype=\"r8\"/>", kRow),
     "VRVENDIDO"},
    {"UnknownRowAttribute",
     SourcePacket("", "<ROW CDIMPOSTO=\"01\" VRALIQIMPFIS=\"7\" VRVENDIDO=\"1\" XX=\"1\"/>"), "XX"},
    {"InvalidDate",
     SourcePacket("<FIELD attrname=\"DT\" fieldtype=\"date\"/>",
                  "<ROW CDIMPOSTO=\"01\" VRALIQIMPFIS=\"7\" VRVENDIDO=\"1\" DT=\"20261332\"/>"),
     "DT"},
    {"NonUtf8Bytes",
     SourcePacket("", "<ROW CDIMPOSTO=\"\xC3\x28\" VRALIQIMPFIS=\"7\" VRVENDIDO=\"1\"/>"), "UTF-8"},
    {"TextNotANumber",
     SourcePacket("", "<ROW CDIMPOSTO=\"01\" VRALIQIMPFIS=\"7%\" VRVENDIDO=\"1\"/>"),
     "'7%' não é um valor numérico"},
    {"NotAPacket", "CDIMPOSTO;VRALIQIMPFIS\n01;7\n", "linha"},
    {"RecordOutside", SourcePacket("", ""), "fora do conjunto", 3},
    // Read in linear time: each of these took a minute or more when reading was quadratic.
    {"SixtyThousandFields", SourcePacket(ManyFields(60000), kRow), "fora do conjunto", 3},
    {"ApostropheInACommentHidesNoAttributes", SourcePacket("", ManyAttributesAfterAComment(120000)),
     "mais de 4096 atributos"},
};

class BadPacket : public ReliabilityFixture, public ::testing::WithParamInterface<PacketCase>
{
};

TEST_P(BadPacket, FailedWithTheReasonAndNoResult)
{
    const PacketCase &c = GetParam();
    WriteSettings(QStringLiteral("14"));
    char *result = reinterpret_cast<char *>(1);
    char *error = nullptr;
    int code = -1;
    QElapsedTimer timer;
    timer.start();
    RunOnScreen({}, [&] {
        code = CriaImpostoRedz("0001", "001", "0000000123", kKey.zDate, kKey.referenceDate,
                               c.packet.constData(), c.record, &result, &error);
    });
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(code, KPF_FAILED);
    EXPECT_EQ(result, nullptr);
    ASSERT_NE(error, nullptr);
    const QString text = QString::fromUtf8(error);
    KpfFree(error);
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.expected))) << text.toStdString();
    EXPECT_FALSE(ActionRan());
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Reliability, BadPacket, ::testing::ValuesIn(kPacketCases),
                         [](const auto &info) { return std::string(info.param.name); });

// --- the key, the dates and the outputs of the C entry ---------------------------------------

struct CallCase {
    const char *name;
    ZKey key;
    bool resultOut;
    bool errorOut;
    const char *expected; // in the error text
};

ZKey With(void (*change)(ZKey &))
{
    ZKey key;
    change(key);
    return key;
}

const CallCase kCallCases[] = {
    {"ZDateNaN", With([](ZKey &k) { k.zDate = std::nan(""); }), true, true, "(zDate) nan"},
    {"ZDateInfinite", With([](ZKey &k) { k.zDate = HUGE_VAL; }), true, true, "(zDate) inf"},
    {"ReferenceDateMinusInfinite", With([](ZKey &k) { k.referenceDate = -HUGE_VAL; }), true, true,
     "(referenceDate) -inf"},
    {"ZDateHuge", With([](ZKey &k) { k.zDate = 1e308; }), true, true, "entre os anos 1 e 9999"},
    {"ZDateAfterYear9999", With([](ZKey &k) { k.zDate = 2958466; }), true, true, "(zDate) 2958466"},
    {"ReferenceDateBeforeYear1", With([](ZKey &k) { k.referenceDate = -693594; }), true, true,
     "(referenceDate) -693594"},
    {"BranchTooLong", With([](ZKey &k) { k.branch = QStringLiteral("000123456789"); }), true, true,
     "a filial (CDFILIAL) '000123456789' tem 12 caracteres"},
    {"TillTooLong", With([](ZKey &k) { k.till = QStringLiteral("0019"); }), true, true,
     "o caixa (CDCAIXA) '0019'"},
    {"ZCounterTooLong", With([](ZKey &k) { k.zCounter = QStringLiteral("00000001234"); }), true,
     true, "o contador da redução Z (NRECFREDZ)"},
    {"NoResultPointer", ZKey(), false, true, "resultPacket"},
    {"NoErrorPointer", ZKey(), true, false, ""},
};

class BadCall : public ReliabilityFixture, public ::testing::WithParamInterface<CallCase>
{
};

TEST_P(BadCall, FailedBeforeTheScreenExists)
{
    const CallCase &c = GetParam();
    const ZKey &k = c.key;
    char *result = reinterpret_cast<char *>(1);
    char *error = nullptr;
    int code = -1;
    RunOnScreen({}, [&] {
        code = CriaImpostoRedz(k.branch.toUtf8().constData(), k.till.toUtf8().constData(),
                               k.zCounter.toUtf8().constData(), k.zDate, k.referenceDate, nullptr,
                               0, c.resultOut ? &result : nullptr, c.errorOut ? &error : nullptr);
    });
    EXPECT_EQ(code, KPF_FAILED);
    if (c.resultOut) {
        EXPECT_EQ(result, nullptr);
    }
    const QString text = QString::fromUtf8(error);
    KpfFree(error);
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.expected))) << text.toStdString();
    EXPECT_FALSE(ActionRan());
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty()) << Shown().toStdString();
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Reliability, BadCall, ::testing::ValuesIn(kCallCases),
                         [](const auto &info) { return std::string(info.param.name); });

// --- connection strings ----------------------------------------------------------------------

struct ConnectionCase {
    const char *name;
    const char *connection; // %1: the database file, %2: the password
    const char *expected;
};

const ConnectionCase kConnectionCases[] = {
    {"UnknownProvider", "Provider=Jet.OLEDB.4.0;Data Source=%1;Password=%2", "Jet.OLEDB.4.0"},
    {"UnknownKey", "Provider=SQLite;Data Source=%1;Password=%2;Cache=%2", "Cache"},
    {"UnclosedQuote", "Provider=SQLite;Data Source=%1;Password=\"%2", "não foi fechado"},
    {"NotKeyValue", "Provider=SQLite;%2;Data Source=%1", "Chave=Valor"},
    {"NoProviderAtAll", "Data Source=%1;Password=%2", "Oracle"},
    {"OracleWithoutDriver", "Provider=MSDAORA.1;Data Source=orcl;User ID=x;Password=%2", "ODBC"},
    {"NoSuchFile", "Provider=SQLite;Data Source=%1.gone;Password=%2", "não existe"},
    {"ServerNotListening",
     "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=kpf;User ID=kpf;Password=%2", "127.0.0.1"},
    {"NoSuchOdbcSource", "Provider=MSDASQL;DSN=kpf-nenhuma;UID=kpf;PWD=%2", "kpf-nenhuma"},
    {"BadPort", "Provider=PostgreSQL;Host=127.0.0.1;Port=%2;Password=%2", "Port"},
};

class BadConnection : public ReliabilityFixture,
                      public ::testing::WithParamInterface<ConnectionCase>
{
};

TEST_P(BadConnection, OneClearTextWithoutThePassword)
{
    const ConnectionCase &c = GetParam();
    Geralkvr::SetStringConexKvr(
        QString::fromUtf8(c.connection).arg(DatabasePath(), QLatin1String(Secret)));
    const QString error = FailedEntryText();
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << error.toStdString();
    EXPECT_FALSE(ActionRan());
    ExpectNothingLeft();
    ExpectNoSecret({error});
}

INSTANTIATE_TEST_SUITE_P(Reliability, BadConnection, ::testing::ValuesIn(kConnectionCases),
                         [](const auto &info) { return std::string(info.param.name); });

// --- codes with quotes and SQL ---------------------------------------------------------------

class HostileCode : public ReliabilityFixture
{
};

TEST_F(HostileCode, BoundAsAValueNeverRunAsSql)
{
    const char *codes[] = {"' OR '1'='1",
                           "01' --",
                           "01'; DROP TABLE IMPOSTO; --",
                           "0\"1",
                           "01; DELETE FROM IMPOSTO",
                           "%",
                           "_1",
                           "01\\",
                           ":P_CDIMPOSTO",
                           "?"};
    QList<int> rowCounts;
    RunEntry([&](TfrmImpost &) {
        for (const char *code : codes) {
            const Variant result = Srv_Kpf05520::GetPesqImp(QString::fromUtf8(code));
            ASSERT_TRUE(result.isPacket()) << code << ": " << result.text().toStdString();
            rowCounts << int(DataPacket::Parse(result.packet()).rows.size());
        }
        // A code with a quote is still a plain value: stored, it is found as it is.
        const Variant found = Srv_Kpf05520::GetPesqImp(QStringLiteral("01"));
        ASSERT_TRUE(found.isPacket());
        rowCounts << int(DataPacket::Parse(found.packet()).rows.size());
    });
    EXPECT_EQ(rowCounts, QList<int>({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    ExecSql(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO) VALUES ('''x', 'aspas')"));
    int quoted = -1;
    RunEntry([&](TfrmImpost &) {
        const Variant result = Srv_Kpf05520::GetPesqImp(QStringLiteral("'x"));
        ASSERT_TRUE(result.isPacket());
        quoted = int(DataPacket::Parse(result.packet()).rows.size());
    });
    EXPECT_EQ(quoted, 1);
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty()) << Shown().toStdString();
}

} // namespace
