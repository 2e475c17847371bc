// The checks a line must pass when it is posted, in their order, the tax value, and what the
// operator sees when the database fails in the middle of a check.
#include "EditingFixture.h"

#include "Cli_Kpf05520.h"
#include "TClientDataSet.h"

#include <QDate>

namespace
{

using Case = EditingFixture::ScreenCase;

class PostingChecks : public EditingFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(PostingChecks, OneMessageForTheFirstFaultyField)
{
    RunCase(GetParam());
}

// clang-format off
const Case kCheckCases[] = {
    {.name = "MissingCode", .steps = "keypad +\nclick blsConfirm", .nrCampo = 1, .state = 3,
     .messages = "Imposto deve ser informado.", .closed = 0},
    {.name = "MissingRateOnly", .steps = "keypad 0 1\nclick blsConfirm", .nrCampo = 2, .state = 3,
     .messages = "Alíquota não informada.", .closed = 0},
    {.name = "MissingBase", .steps = "keypad 0 1 Enter 5\nclick blsConfirm", .nrCampo = 3,
     .state = 3,
     .messages = "Valor não informado.", .closed = 0},
    {.name = "UnregisteredCodeBeforeMissingRate", .steps = "keypad 9\nclick blsConfirm",
     .nrCampo = 1, .state = 3,
     .top = "09|~|~", .messages = "Imposto não cadastrado.", .closed = 0},
    {.name = "Rate100", .steps = "keypad 0 1 Enter 1 0 0 Enter 1 0\nclick blsConfirm", .nrCampo = 2,
     .txAliq = "100",
     .txValor = "10", .state = 3, .top = "01|100|10",
     .messages = "Valor da alíquota deve ser menor que 100.", .closed = 0},
    {.name = "Rate99_91", .steps = "keypad 0 1 Enter 9 9 , 9 1 Enter 1 0\nclick blsConfirm",
     .nrCampo = 2, .state = 3,
     .messages = "Valor da alíquota deve ser menor que 100.", .closed = 0},
    {.name = "Rate99_9", .steps = "keypad 0 1 Enter 9 9 , 9 Enter 1 0\nclick blsConfirm",
     .closed = 1,
     .packet = "4 01 99.9 10 9.99"},
    {.name = "RateZero", .steps = "keypad 0 1 Enter 0 Enter 1 0\nclick blsConfirm", .closed = 1,
     .packet = "4 01 0 10 0"},
    {.name = "BaseZero", .steps = "keypad 0 1 Enter 5 Enter 0\nclick blsConfirm", .closed = 1,
     .packet = "4 01 5 0 0"},
    {.name = "TaxIsCutNotRounded",
     .steps = "keypad 0 1 Enter 1 7 Enter 1 2 3 , 4 5\nclick blsConfirm",
     .packet = "4 01 17 123.45 20.98"},
    {.name = "TaxWholeNumber", .steps = "keypad 0 1 Enter 1 8 Enter 1 000\nclick blsConfirm",
     .packet = "4 01 18 1000 180"},
    {.name = "TaxWithoutBinaryNoise",
     .steps = "keypad 0 1 Enter 2 9 Enter 1 , 0 0\nclick blsConfirm",
     .packet = "4 01 29 1 0.29"},
    {.name = "TaxOfTenPercentOfOnePointOne",
     .steps = "keypad 0 1 Enter 1 0 Enter 1 , 1\nclick blsConfirm",
     .packet = "4 01 10 1.1 0.11"},
    {.name = "CodeStoredAdjusted", .steps = "keypad 1 Enter 5 Enter 1 0\nclick blsConfirm",
     .packet = "4 01 5 10 0.5"},
    {.name = "CorrectedAfterRefusal",
     .steps = "keypad 0 1 Enter 1 0 0 Enter 1 0\nclick blsConfirm\nkeypad Corrigir Corrigir 5\n"
     "click blsConfirm",
     .messages = "Valor da alíquota deve ser menor que 100.", .packet = "4 01 15 10 1.5"},
    // Without a code nothing is looked up: with the table gone a lookup would show its error.
    {.name = "MissingCodeIsNotLookedUp", .setupSql = "DROP TABLE IMPOSTO",
     .steps = "keypad + Enter Voltar\nclick blsConfirm",
     .trace = "1 2 1 1", .messages = "Imposto deve ser informado."},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Editing, PostingChecks, ::testing::ValuesIn(kCheckCases), CaseName());

using CodeLookup = EditingFixture;

// A code accepted once is looked up again at the next check.
TEST_F(CodeLookup, EveryCheckAsksTheDatabase)
{
    RunEntry([&](TfrmImpost &form) {
        Play("keypad 0 1 Enter");
        ASSERT_EQ(form.NrCampo(), 2);
        ExecSql("DELETE FROM IMPOSTO WHERE CDIMPOSTO = '01'");
        Play("keypad 5 Enter 1 0\nclick blsConfirm");
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(messages, QStringList{"Imposto não cadastrado."});
}

// A database error during the check: one message, the operation stops, the line keeps what was
// typed, and the next try works once the table is back.
TEST_F(CodeLookup, DatabaseErrorStopsOnceAndRecovers)
{
    const QString restore = "CREATE TABLE IMPOSTO (CDIMPOSTO VARCHAR(2) NOT NULL PRIMARY KEY, "
                            "NMIMPOSTO VARCHAR(40));"
                            "INSERT INTO IMPOSTO VALUES ('01', 'ICMS 7%')";
    const Variant result = RunEntry([&](TfrmImpost &form) {
        ExecSql("DROP TABLE IMPOSTO");
        Play("keypad 1 Enter");
        EXPECT_EQ(messages.size(), 1);
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_EQ(State(form), 3);
        EXPECT_EQ(Describe(Rows(form)[0]), "01|~|~");

        ExecSql(restore);
        Play("keypad Enter 7 Enter 2 0 0");
        EXPECT_EQ(form.NrCampo(), 3);
        EXPECT_EQ(messages.size(), 1);

        ExecSql("DROP TABLE IMPOSTO");
        Play("click blsConfirm");
        EXPECT_EQ(messages.size(), 2);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(State(form), 3);
        EXPECT_EQ(Describe(Rows(form)[0]), "01|7|200");
        EXPECT_EQ(form.TxAliq(), "7");
        EXPECT_EQ(form.TxValor(), "200");

        ExecSql(restore);
        Play("click blsConfirm");
    });
    EXPECT_EQ(messages.size(), 2) << qPrintable(messages.join('\n'));
    for (const QString &message : messages)
        EXPECT_TRUE(message.contains("getPesqImp")) << qPrintable(message);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    EXPECT_EQ(DescribePacket(result), QStringList{"4 01 7 200 14"});
}

using PostedKey = EditingFixture;

// Posting writes the key of the Z reduction and the tax over whatever the line held; the date
// keeps no time of day.
TEST_F(PostedKey, KeyFieldsAndTaxAreOverwritten)
{
    ZKey key;
    key.zDate = EncodeDateTime(2026, 12, 7, 15, 30);
    key.referenceDate = key.zDate;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            Play("keypad 0 3 Enter 1 8 Enter 1 000");
            TClientDataSet *lines = form.cdsImpRedZ;
            lines->FieldByName("CDFILIAL")->SetAsString("9999");
            lines->FieldByName("CDCAIXA")->SetAsString("999");
            lines->FieldByName("NRECFREDZ")->SetAsString("X");
            lines->FieldByName("DTREDUCAOZ")->SetAsDateTime(EncodeDateTime(2000, 1, 1));
            lines->FieldByName("VRIMPOSTORZ")->SetAsFloat(12345);
            Play("click blsConfirm");
        },
        key);
    const QList<QVariantMap> rows = PacketRows(result);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("CDFILIAL").toString(), "0001");
    EXPECT_EQ(rows[0].value("CDCAIXA").toString(), "001");
    EXPECT_EQ(rows[0].value("NRECFREDZ").toString(), "0000000123");
    EXPECT_EQ(rows[0].value("DTREDUCAOZ").toDate(), QDate(2026, 12, 7));
    EXPECT_EQ(rows[0].value("VRIMPOSTORZ").toDouble(), 180);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
}

// The tax that the host hands in does not survive the posting of the first line.
TEST_F(PostedKey, HostsTaxIsRecomputed)
{
    WriteSettings("14");
    const auto source = MakeSource({{"01", "18", "1000", "999"}});
    const Variant result =
        RunEntry([&](TfrmImpost &) { Play("click blsConfirm"); }, ZKey(), source.get());
    EXPECT_EQ(DescribePacket(result), QStringList{"4 01 18 1000 180"});
}

} // namespace
