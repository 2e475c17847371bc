// The entry's lifecycle: every call builds and frees its own screen and data module, a failed
// initialization leaves nothing behind, and the plain C export behaves like the C++ entry.
#include "Cli_Kpf05520.h"
#include "Exceptions.h"
#include "Geralkvr.h"
#include "ScreenFixture.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "TScreen.h"
#include "kpf05520.h"

#include <QApplication>
#include <QPointer>

namespace
{

// A line typed on the keypad (code 01, rate 18, base 1000), then confirmed.
void TypeLineAndConfirm(TfrmImpost &)
{
    ScreenFixture::Play(QStringLiteral("keypad 0 1 Enter 1 8 Enter 1 000\nclick blsConfirm"));
}

void Confirm(TfrmImpost &)
{
    ScreenFixture::Play(QStringLiteral("click blsConfirm"));
}

void ExpectNothingLeftBehind()
{
    EXPECT_EQ(Cli_Kpf05520::frmImpost, nullptr);
    EXPECT_EQ(Srv_Kpf05520::rdmImpost, nullptr);
    EXPECT_FALSE(Cli_Kpf05520::boCriado);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (const QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<const TfrmImpost *>(w), nullptr) << "a screen is still alive";
}

// The C entry for the fixture's Z reduction.
struct CCall {
    int code = -1;
    QByteArray result;
    QString error;
    bool resultWasNull = true;
};

CCall CallC(const char *sourcePacket, int sourceRecord, const ZKey &key = ZKey())
{
    CCall call;
    char *result = nullptr;
    char *error = nullptr;
    call.code = CriaImpostoRedz(key.branch.toUtf8().constData(), key.till.toUtf8().constData(),
                                key.zCounter.toUtf8().constData(), key.zDate, key.referenceDate,
                                sourcePacket, sourceRecord, &result, &error);
    call.resultWasNull = result == nullptr;
    call.result = QByteArray(result);
    call.error = QString::fromUtf8(error);
    KpfFree(result);
    KpfFree(error);
    return call;
}

} // namespace

TEST_F(ScreenFixture, TwoCallsInARowEachBuildAndFreeTheirOwnScreen)
{
    QList<QPointer<TfrmImpost>> screens;
    QList<QPointer<QObject>> modules;
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        const Variant result = RunEntry([&](TfrmImpost &form) {
            screens << &form;
            modules << Srv_Kpf05520::rdmImpost;
            EXPECT_EQ(Cli_Kpf05520::frmImpost, &form);
            EXPECT_NE(Srv_Kpf05520::rdmImpost, nullptr);
            EXPECT_TRUE(Cli_Kpf05520::boCriado);
            EXPECT_EQ(Screen().Cursor(), crDefault);
            EXPECT_TRUE(Rows(form).isEmpty()) << "lines of an earlier call came back";
            TypeLineAndConfirm(form);
        });
        ASSERT_TRUE(result.isPacket());
        EXPECT_EQ(PacketRows(result).size(), 1);
        EXPECT_TRUE(screens.last().isNull()) << "the screen was not freed";
        EXPECT_TRUE(modules.last().isNull()) << "the data module was not freed";
        ExpectNothingLeftBehind();
    }
    EXPECT_EQ(screens.size(), 2);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(" | "));
}

TEST_F(ScreenFixture, ClosingWithoutConfirmationReturnsNothing)
{
    const Variant result = RunEntry([](TfrmImpost &form) {
        Play(QStringLiteral("keypad 1"));
        form.close(); // the window system asks the screen to close
    });
    EXPECT_TRUE(ActionRan());
    EXPECT_TRUE(result.isUnassigned());
    ExpectNothingLeftBehind();

    CCall c;
    RunOnScreen(nullptr, [&] { c = CallC(nullptr, 0); });
    EXPECT_EQ(c.code, KPF_NOT_CONFIRMED);
    EXPECT_TRUE(c.resultWasNull);
    EXPECT_TRUE(c.error.isEmpty());
    ExpectNothingLeftBehind();
}

// Every failure of the initialization reaches the caller with a text that says what is wrong,
// and leaves no screen, no data module and no busy cursor.
TEST_F(ScreenFixture, FailedInitializationLeavesNothingBehind)
{
    const auto hostLine = [](const char *code, const char *rate) {
        return MakeSource({{QString::fromLatin1(code), QString::fromLatin1(rate),
                            QStringLiteral("100"), QStringLiteral("0")}});
    };
    struct Case {
        const char *name;
        std::function<void()> arrange;
        std::unique_ptr<TClientDataSet> source;
        QStringList mustContain;
        QStringList messagesShown;
    };
    Case cases[] = {
        {"missing KAVIRON.CDS",
         [&] { RemoveSettingsFile(QStringLiteral("KAVIRON.CDS")); },
         nullptr,
         {"KAVIRON.CDS", "não encontrado", HomeDir()},
         {}},
        {"printer type not an integer",
         [&] { WriteSettings(QStringLiteral("1A")); },
         nullptr,
         {"'1A' não é um valor inteiro válido (IDTIPOIMPFIS em KAVIRON.CDS)"},
         {}},
        {"KAVIRON.CDS without its field",
         [&] {
             WriteSettingsFile(QStringLiteral("KAVIRON.CDS"), {{"TIPO", "14"}});
         },
         nullptr,
         {"IDTIPOIMPFIS", "KAVIRON.CDS"},
         {}},
        {"PARAMETROSKVR.CDS without its field",
         [&] {
             WriteSettingsFile(QStringLiteral("PARAMETROSKVR.CDS"), {{"ESQUEMA", "7"}});
         },
         nullptr,
         {"IDESQUEMA", "PARAMETROSKVR.CDS"},
         {}},
        {"KAVIRON.CDS not a data packet",
         [&] {
             QFile file(HomeDir() + QStringLiteral("/KAVIRON.CDS"));
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("IDTIPOIMPFIS=14\n");
         },
         nullptr,
         {"KAVIRON.CDS"},
         {}},
        {"database unreachable",
         [&] {
             Geralkvr::SetStringConexKvr(
                 QStringLiteral("Provider=SQLite;Data Source=/nonexistent/kpf/kpf05520.db"));
         },
         nullptr,
         {"kpf05520.db"},
         {}},
        {"host's rate not a number",
         [&] { WriteSettings(QStringLiteral("14")); },
         hostLine("01", "abc"),
         {"'abc' não é um valor numérico válido (VRALIQIMPFIS dos dados do caixa)"},
         {}},
        {"first line refused by the code check",
         [&] { WriteSettings(QStringLiteral("14")); },
         hostLine("99", "7"),
         {},
         {"Imposto não cadastrado."}},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettings(QStringLiteral("13"));
        CreateDatabase();
        messages.clear();
        c.arrange();
        QString error;
        EXPECT_THROW(
            {
                try {
                    RunEntry(nullptr, ZKey(), c.source.get());
                } catch (const Exception &e) {
                    error = e.Message();
                    throw;
                }
            },
            Exception);
        EXPECT_FALSE(ActionRan()) << "the screen was shown";
        for (const QString &part : c.mustContain)
            EXPECT_TRUE(error.contains(part)) << qPrintable(error) << " lacks " << qPrintable(part);
        EXPECT_EQ(messages, c.messagesShown);
        ExpectNothingLeftBehind();
    }
}

TEST_F(ScreenFixture, PlainCEntryGivesWhatTheCppEntryGives)
{
    WriteSettings(QStringLiteral("14"));
    const auto source = MakeSource({{"01", "7", "100", "5"}, {"03", "17", "123,45", "0"}}, 1);
    const Variant cpp = RunEntry(Confirm, ZKey(), source.get());
    ASSERT_TRUE(cpp.isPacket());

    const QByteArray packet = source->Data().packet();
    CCall c;
    RunOnScreen(Confirm, [&] { c = CallC(packet.constData(), 1); });
    EXPECT_EQ(c.code, KPF_CONFIRMED) << qPrintable(c.error);
    ASSERT_FALSE(c.resultWasNull);
    EXPECT_EQ(PacketRows(Variant::fromPacket(c.result)), PacketRows(cpp));
    ASSERT_EQ(PacketRows(cpp).size(), 1);
    EXPECT_EQ(PacketRows(cpp)[0].value("CDIMPOSTO").toString(), QStringLiteral("03"));
    ExpectNothingLeftBehind();
}

// Without a packet the host's data set is empty: printer type 14 makes the line "00".
TEST_F(ScreenFixture, PlainCEntryWithoutPacketUsesAnEmptyDataSet)
{
    WriteSettings(QStringLiteral("14"));
    CCall c;
    RunOnScreen(Confirm, [&] { c = CallC(nullptr, 0); });
    ASSERT_EQ(c.code, KPF_CONFIRMED) << qPrintable(c.error);
    const QList<QVariantMap> rows = PacketRows(Variant::fromPacket(c.result));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("CDIMPOSTO").toString(), QStringLiteral("00"));
    EXPECT_EQ(rows[0].value("VRIMPOSTORZ").toDouble(), 0.0);
}

TEST_F(ScreenFixture, PlainCEntryTurnsEveryFailureIntoAnErrorText)
{
    const QByteArray twoLines =
        MakeSource({{"01", "7", "100", "5"}, {"03", "17", "100", "0"}})->Data().packet();
    struct Case {
        const char *name;
        const char *packet;
        int record;
        bool removeKaviron;
        const char *mustContain;
    };
    const Case cases[] = {
        {"current record past the end", twoLines.constData(), 2, false, "registro"},
        {"negative current record", twoLines.constData(), -1, false, "registro"},
        {"record of an empty data set", nullptr, 1, false, "registro"},
        {"not a packet", "<DATAPACKET", 0, false, ""},
        {"missing KAVIRON.CDS", nullptr, 0, true, "KAVIRON.CDS"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettings(QStringLiteral("13"));
        if (c.removeKaviron)
            RemoveSettingsFile(QStringLiteral("KAVIRON.CDS"));
        CCall call;
        RunOnScreen(nullptr, [&] { call = CallC(c.packet, c.record); });
        EXPECT_EQ(call.code, KPF_FAILED);
        EXPECT_TRUE(call.resultWasNull);
        EXPECT_FALSE(call.error.isEmpty());
        EXPECT_TRUE(call.error.contains(QString::fromUtf8(c.mustContain)))
            << qPrintable(call.error);
        EXPECT_FALSE(ActionRan());
        ExpectNothingLeftBehind();
    }

    char *result = reinterpret_cast<char *>(1);
    char *error = nullptr;
    EXPECT_EQ(CriaImpostoRedz(nullptr, "001", "1", 0, 0, nullptr, 0, &result, &error), KPF_FAILED);
    EXPECT_EQ(result, nullptr);
    EXPECT_NE(QString::fromUtf8(error).indexOf(QStringLiteral("branch")), -1);
    KpfFree(error);
}

TEST(PackageFrame, NamesTheHostLibraryAndItsUnitsAndFinalizesTwice)
{
    const char *const *requires_ = GetPackageRequires();
    ASSERT_NE(requires_, nullptr);
    EXPECT_STREQ(requires_[0], "_dll");
    EXPECT_EQ(requires_[1], nullptr);
    QStringList units;
    for (const char *const *unit = GetPackageUnits(); *unit; ++unit)
        units << QString::fromLatin1(*unit);
    EXPECT_EQ(units, QStringList({"Pkg_Kpf05520", "Cli_Kpf05520", "Srv_Kpf05520"}));

    Initialize();
    EXPECT_FALSE(Cli_Kpf05520::boCriado);
    Finalize();
    Finalize();
    Initialize();
    EXPECT_EQ(Cli_Kpf05520::frmImpost, nullptr);
}
