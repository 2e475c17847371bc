// Calls a host makes through the C entry that once crashed, hung or gave a wrong day: a call made
// again from the message observer, automation across the platform's error box, a Z date just
// before midnight and host values that FloatToStr writes with an exponent.
#include "ReliabilityFixture.h"

#include "Cli_Kpf05520.h"
#include "EventGuard.h"
#include "Exceptions.h"
#include "Srv_Kpf05520.h"
#include "kpf05520.h"
#include "kpf_dll.h"

#include <QApplication>
#include <QTimer>

namespace
{

struct CResult {
    int code = -1;
    QByteArray packet;
    QString error;
};

CResult CallC(const ZKey &key, const char *sourcePacket = nullptr)
{
    char *result = nullptr;
    char *error = nullptr;
    CResult call;
    call.code = CriaImpostoRedz(key.branch.toUtf8().constData(), key.till.toUtf8().constData(),
                                key.zCounter.toUtf8().constData(), key.zDate, key.referenceDate,
                                sourcePacket, 0, &result, &error);
    call.packet = QByteArray(result);
    call.error = QString::fromUtf8(error);
    KpfFree(result);
    KpfFree(error);
    return call;
}

class HostCall : public ReliabilityFixture
{
protected:
    void TearDown() override
    {
        KpfDll_SetMessageObserver(nullptr, nullptr);
        KpfDll_SetAutoAcknowledge(0);
        ReliabilityFixture::TearDown();
    }
};

// --- a call made again while the first one runs ------------------------------------------

struct InnerCalls {
    int calls = 0;
    CResult c;
    QString cppError;
    bool screenKept = false;
};

void CallAgainFromTheObserver(const char *, int, void *context)
{
    auto *inner = static_cast<InnerCalls *>(context);
    if (inner->calls++ > 0)
        return;
    TfrmImpost *const screen = Cli_Kpf05520::frmImpost;
    QObject *const module = Srv_Kpf05520::rdmImpost;
    inner->c = CallC(ZKey());
    try {
        Cli_Kpf05520::CriaImpostoRedZ(QStringLiteral("0001"), QStringLiteral("001"),
                                      QStringLiteral("1"), 46000, 46000, nullptr);
    } catch (const Exception &e) {
        inner->cppError = e.Message();
    }
    inner->screenKept = screen && Cli_Kpf05520::frmImpost == screen &&
                        Srv_Kpf05520::rdmImpost == module && Cli_Kpf05520::boCriado;
}

TEST_F(HostCall, ReEnteredFromTheObserverIsRefusedAndTheFirstCallGoesOn)
{
    InnerCalls inner;
    KpfDll_SetMessageObserver(&CallAgainFromTheObserver, &inner);
    CResult outer;
    RunOnScreen(
        [](TfrmImpost &) {
            // 99 is no tax: a message.
            Play(QStringLiteral("click blsMais\ntype 99\nkey Enter\nkey Backspace\n"
                                "key Backspace\ntype 04\nkey Enter\ntype 25\nkey Enter\n"
                                "type 80\nclick blsConfirm"));
        },
        [&] { outer = CallC(ZKey()); });
    EXPECT_EQ(inner.c.code, KPF_FAILED);
    EXPECT_TRUE(inner.c.error.contains(QStringLiteral("não é reentrante")))
        << inner.c.error.toStdString();
    EXPECT_TRUE(inner.cppError.contains(QStringLiteral("não é reentrante")))
        << inner.cppError.toStdString();
    EXPECT_TRUE(inner.screenKept) << "the inner call touched the first call's screen";
    ASSERT_EQ(outer.code, KPF_CONFIRMED) << outer.error.toStdString() << Shown().toStdString();
    const QList<QVariantMap> rows = PacketRows(Variant::fromPacket(outer.packet));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("CDIMPOSTO").toString(), QStringLiteral("04"));
    ExpectNothingLeft();
}

// --- automation ----------------------------------------------------------------------------

struct Observed {
    QStringList texts;
    QList<int> kinds;
};

TEST_F(HostCall, AutoAcknowledgeAnswersTheErrorBoxAndLaterClicksStillRun)
{
    SetErrorPresenter({}); // the platform's own box, as a C host has it
    Observed observed;
    KpfDll_SetMessageObserver(
        [](const char *text, int kind, void *context) {
            auto *o = static_cast<Observed *>(context);
            o->texts << QString::fromUtf8(text);
            o->kinds << kind;
        },
        &observed);
    KpfDll_SetAutoAcknowledge(1);
    // Enter on a fresh screen over a stored line: the platform's error box. Then the same again,
    // and the confirmation.
    ASSERT_EQ(KpfDll_ScheduleClick("sbtEnter", 0), 0);
    ASSERT_EQ(KpfDll_ScheduleClick("sbtEnter", 300), 0);
    ASSERT_EQ(KpfDll_ScheduleClick("blsConfirm", 600), 0);
    bool watchdogFired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        watchdogFired = true;
        if (QWidget *box = QApplication::activeModalWidget(); box && box != Cli_Kpf05520::frmImpost)
            box->close();
        if (Cli_Kpf05520::frmImpost)
            Cli_Kpf05520::frmImpost->Close();
    });
    watchdog.start(10000);
    const CResult call = CallC(StoredDay());
    EXPECT_FALSE(watchdogFired) << "a box or a click waited for nobody";
    EXPECT_EQ(call.code, KPF_CONFIRMED) << call.error.toStdString();
    ASSERT_EQ(observed.texts.size(), 2) << observed.texts.join(" | ").toStdString();
    EXPECT_EQ(observed.kinds, QList<int>({KPF_MSG_ERROR, KPF_MSG_ERROR}));
    EXPECT_EQ(PacketRows(Variant::fromPacket(call.packet)).size(), 3); // the stored lines
    ExpectNothingLeft();
}

// --- the day and the values ----------------------------------------------------------------

TEST_F(HostCall, ZDateJustBeforeMidnightIsThatDay)
{
    ZKey key = StoredDay();
    const TDateTime day = key.zDate;
    key.zDate = key.referenceDate = day + 0.9999999999;
    qsizetype loaded = -1;
    CResult call;
    RunOnScreen(
        [&](TfrmImpost &form) {
            loaded = Rows(form).size();
            TypeLine();
            Play(QStringLiteral("click blsConfirm"));
        },
        [&] { call = CallC(key); });
    EXPECT_EQ(loaded, 3) << "the day's stored lines were not loaded";
    ASSERT_EQ(call.code, KPF_CONFIRMED) << call.error.toStdString();
    const QList<QVariantMap> rows = PacketRows(Variant::fromPacket(call.packet));
    ASSERT_EQ(rows.size(), 4);
    for (const QVariantMap &row : rows)
        EXPECT_EQ(row.value("DTREDUCAOZ").toDate(), QDate(2026, 12, 3));
}

// Float fields of the host's data set: FloatToStr writes these with an exponent.
TEST_F(HostCall, HostValuesShownWithAnExponentAreRead)
{
    WriteSettings(QStringLiteral("14"));
    const QByteArray packet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
        "<FIELD attrname=\"CDIMPOSTO\" fieldtype=\"string\" WIDTH=\"2\"/>"
        "<FIELD attrname=\"VRALIQIMPFIS\" fieldtype=\"r8\"/>"
        "<FIELD attrname=\"VRVENDIDO\" fieldtype=\"r8\"/>"
        "<FIELD attrname=\"VRIMPOSTO\" fieldtype=\"r8\"/>"
        "</FIELDS><PARAMS/></METADATA><ROWDATA>"
        "<ROW CDIMPOSTO=\"01\" VRALIQIMPFIS=\"0.000001\" VRVENDIDO=\"1e15\" "
        "VRIMPOSTO=\"5.55e-17\"/></ROWDATA></DATAPACKET>";
    CResult call;
    RunOnScreen([](TfrmImpost &) { Play(QStringLiteral("click blsConfirm")); },
                [&] { call = CallC(ZKey(), packet.constData()); });
    ASSERT_EQ(call.code, KPF_CONFIRMED) << call.error.toStdString();
    const QList<QVariantMap> rows = PacketRows(Variant::fromPacket(call.packet));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_DOUBLE_EQ(rows[0].value("VRALIQIMPRZ").toDouble(), 0.000001);
    EXPECT_DOUBLE_EQ(rows[0].value("VRBCALCIMPRZ").toDouble(), 1e15);
}

} // namespace
