// Start-up and loading: the settings files, the first line made from the host's data for some
// printer types, and the stored lines loaded on activation.
#include "Cli_Kpf05520.h"
#include "ScreenFixture.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

#include <QLabel>
#include <set>
#include <utility>

namespace
{

const QDate kDay(2026, 12, 7);

class StartupTest : public ScreenFixture
{
protected:
    // Two lines stored for the fixture's Z reduction (branch 0001, till 001, 2026-12-07).
    void StoreLines()
    {
        ExecSql(QStringLiteral(
            "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '01', "
            "7, 100, 7); "
            "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '03', "
            "18, 1000, 180)"));
    }

    // What the screen holds once shown: its rows and state, read inside the modal loop.
    struct Seen {
        QList<QVariantMap> rows;
        int state = -1;
        int nrCampo = -1;
        QString idEsquema;
        QString idTipoImpFis;
        QString footer;
        QRect footerGeometry;
        int footerTextWidth = 0;
    };
    Seen Show(const ZKey &key = ZKey(), TClientDataSet *source = nullptr)
    {
        Seen seen;
        RunEntry(
            [&](TfrmImpost &form) {
                seen.rows = Rows(form);
                seen.state = State(form);
                seen.nrCampo = form.NrCampo();
                seen.idEsquema = form.IdEsquema();
                seen.idTipoImpFis = form.IdTipoImpFis();
                const auto *footer = form.findChild<QLabel *>(QStringLiteral("lblCodTela"));
                seen.footer = footer->text();
                seen.footerGeometry = footer->geometry();
                seen.footerTextWidth = footer->fontMetrics().horizontalAdvance(footer->text());
            },
            key, source);
        EXPECT_TRUE(ActionRan());
        return seen;
    }

    static QStringList Codes(const QList<QVariantMap> &rows)
    {
        QStringList codes;
        for (const QVariantMap &row : rows)
            codes << row.value(QStringLiteral("CDIMPOSTO")).toString();
        return codes;
    }
};

ZKey OneSecondLater()
{
    ZKey key;
    key.referenceDate = key.zDate + 1.0 / 86400;
    return key;
}

} // namespace

// Type 14 with equal dates: one line from an empty host data set (or none at all), code "00" and
// zeros, carrying the Z reduction's key; the stored lines are not loaded.
TEST_F(StartupTest, PrinterType14WithEmptyHostDataMakesOneZeroLine)
{
    WriteSettings(QStringLiteral("14"));
    StoreLines();
    const auto empty = MakeSource({});
    for (TClientDataSet *source : {empty.get(), static_cast<TClientDataSet *>(nullptr)}) {
        SCOPED_TRACE(source ? "empty data set" : "no data set");
        const Seen seen = Show(ZKey(), source);
        ASSERT_EQ(seen.rows.size(), 1);
        const QVariantMap &line = seen.rows[0];
        EXPECT_EQ(line.value("CDFILIAL").toString(), QStringLiteral("0001"));
        EXPECT_EQ(line.value("CDCAIXA").toString(), QStringLiteral("001"));
        EXPECT_EQ(line.value("NRECFREDZ").toString(), QStringLiteral("0000000123"));
        EXPECT_EQ(line.value("DTREDUCAOZ").toDate(), kDay);
        EXPECT_EQ(line.value("CDIMPOSTO").toString(), QStringLiteral("00"));
        for (const char *field : {"VRALIQIMPRZ", "VRBCALCIMPRZ", "VRIMPOSTORZ"}) {
            EXPECT_TRUE(line.value(field).isValid()) << field;
            EXPECT_EQ(line.value(field).toDouble(), 0.0) << field;
        }
        EXPECT_EQ(seen.state, 1);
        EXPECT_EQ(seen.nrCampo, 1);
    }
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(" | "));
}

// Only the host's current record counts, and posting recomputes its tax value.
TEST_F(StartupTest, OnlyTheCurrentHostRecordIsUsedAndItsTaxRecomputed)
{
    WriteSettings(QStringLiteral("14"));
    const auto source = MakeSource(
        {{"01", "7", "100", "7"}, {"03", "17", "123,45", "99,99"}, {"02", "12", "1", "0"}}, 1);
    const Seen seen = Show(ZKey(), source.get());
    ASSERT_EQ(seen.rows.size(), 1);
    EXPECT_EQ(seen.rows[0].value("CDIMPOSTO").toString(), QStringLiteral("03"));
    EXPECT_DOUBLE_EQ(seen.rows[0].value("VRALIQIMPRZ").toDouble(), 17.0);
    EXPECT_DOUBLE_EQ(seen.rows[0].value("VRBCALCIMPRZ").toDouble(), 123.45);
    EXPECT_DOUBLE_EQ(seen.rows[0].value("VRIMPOSTORZ").toDouble(), 20.98);
    EXPECT_EQ(source->RecNo(), 2) << "the host's data set was moved";
}

// The ten printer types make the first line; with every other type the list stays closed for the
// activation to load. The initialization is run on its own here: showing the screen adds nothing.
TEST_F(StartupTest, OnlyTheTenPrinterTypesMakeTheFirstLine)
{
    const std::set<int> withLine{14, 18, 19, 22, 24, 27, 28, 29, 31, 32};
    QStringList types{QStringLiteral("0"),  QStringLiteral("00"),  QStringLiteral("7"),
                      QStringLiteral("40"), QStringLiteral("-14"), QStringLiteral("114"),
                      QStringLiteral("014")};
    for (int type = 8; type <= 39; ++type)
        types << QString::number(type);
    const ZKey key;
    for (const QString &type : types) {
        SCOPED_TRACE(qPrintable(type));
        WriteSettings(type);
        {
            TfrmImpost form;
            form.InicializaForm(key.branch, key.till, key.zCounter, key.zDate, key.referenceDate,
                                nullptr);
            EXPECT_EQ(form.IdTipoImpFis(), type);
            if (withLine.count(type.toInt()) > 0)
                EXPECT_EQ(Codes(Rows(form)), QStringList{"00"});
            else
                EXPECT_FALSE(form.cdsImpRedZ->Active());
        }
        delete std::exchange(Srv_Kpf05520::rdmImpost, nullptr);
    }
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(" | "));
}

// The dates are compared exactly, time of day included.
TEST_F(StartupTest, ReferenceDateMustEqualTheZDateExactly)
{
    WriteSettings(QStringLiteral("14"));
    StoreLines();
    ZKey atTenThirty;
    atTenThirty.zDate = atTenThirty.referenceDate = EncodeDateTime(2026, 12, 7, 10, 30);
    ZKey dayBefore;
    dayBefore.referenceDate = dayBefore.zDate - 1;
    const struct {
        const char *name;
        ZKey key;
        QStringList codes;
    } cases[] = {
        {"one second later", OneSecondLater(), {"01", "03"}},
        {"a day earlier", dayBefore, {"01", "03"}},
        {"equal, with a time of day", atTenThirty, {"00"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Seen seen = Show(c.key);
        EXPECT_EQ(Codes(seen.rows), c.codes);
        ASSERT_FALSE(seen.rows.isEmpty());
        EXPECT_EQ(seen.rows[0].value("DTREDUCAOZ").toDate(), kDay) << "a date keeps no time";
    }
}

// An empty (or blank) printer type stands for "00": no first line, the stored lines load.
TEST_F(StartupTest, EmptyPrinterTypeBecomesZeroZero)
{
    StoreLines();
    for (const QString &type : {QString(), QStringLiteral("   ")}) {
        SCOPED_TRACE(qPrintable("'" + type + "'"));
        WriteSettings(type);
        const Seen seen = Show();
        EXPECT_EQ(seen.idTipoImpFis, QStringLiteral("00"));
        EXPECT_EQ(Codes(seen.rows), QStringList({"01", "03"}));
    }
}

TEST_F(StartupTest, SchemaComesFromTheParametersFileWhichMayBeMissing)
{
    Seen seen = Show();
    EXPECT_EQ(seen.idEsquema, QStringLiteral("7"));
    EXPECT_EQ(seen.footer, QStringLiteral("KPF05520"));
    // Wider than the design text, it grows to the left and is never clipped.
    EXPECT_EQ(seen.footerGeometry.right(), 739);
    EXPECT_GE(seen.footerGeometry.width(), seen.footerTextWidth);

    RemoveSettingsFile(QStringLiteral("PARAMETROSKVR.CDS"));
    seen = Show();
    EXPECT_TRUE(seen.idEsquema.isEmpty());
    EXPECT_EQ(seen.state, 1);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(" | "));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(" | "));
}

// Every activation puts the editor back on the code with empty texts; only the first loads.
TEST_F(StartupTest, LaterActivationResetsTheEditorWithoutReloading)
{
    StoreLines();
    RunEntry([&](TfrmImpost &form) {
        ASSERT_EQ(Codes(Rows(form)), QStringList({"01", "03"}));
        Play(QStringLiteral("keypad 0 1 Enter 5"));
        ASSERT_EQ(form.NrCampo(), 2);
        ASSERT_EQ(form.TxAliq(), QStringLiteral("5"));
        ExecSql(QStringLiteral("DELETE FROM IMPOSTOREDZ"));

        Play(QStringLiteral("reactivate"));
        EXPECT_EQ(form.NrCampo(), 1);
        EXPECT_TRUE(form.TxAliq().isEmpty());
        EXPECT_TRUE(form.TxValor().isEmpty());
        EXPECT_EQ(form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"))->SelectedFieldName(),
                  QStringLiteral("CDIMPOSTO"));
        EXPECT_EQ(Codes(Rows(form)), QStringList({"01", "01", "03"})) << "the list was reloaded";
        EXPECT_EQ(State(form), 3) << "the pending line was lost";
    });
    EXPECT_TRUE(ActionRan());
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(" | "));
}

// A database error while loading shows one message, leaves the list inactive, and the next
// activation tries again.
TEST_F(StartupTest, DatabaseErrorWhileLoadingIsShownOnceAndRetried)
{
    ExecSql(QStringLiteral("DROP TABLE IMPOSTOREDZ"));
    RunEntry([&](TfrmImpost &form) {
        EXPECT_EQ(State(form), 0);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("0001-001-07/12/2026")))
            << qPrintable(messages[0]);

        ExecSql(QStringLiteral("CREATE TABLE IMPOSTOREDZ (CDFILIAL varchar(4), CDCAIXA "
                               "varchar(3), NRECFREDZ varchar(10), DTREDUCAOZ date, CDIMPOSTO "
                               "varchar(2), VRALIQIMPRZ numeric, VRBCALCIMPRZ numeric, "
                               "VRIMPOSTORZ numeric)"));
        StoreLines();
        Play(QStringLiteral("reactivate"));
        EXPECT_EQ(State(form), 1);
        EXPECT_EQ(Codes(Rows(form)), QStringList({"01", "03"}));
        EXPECT_EQ(messages.size(), 1);
    });
    EXPECT_TRUE(ActionRan());
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(" | "));
}
