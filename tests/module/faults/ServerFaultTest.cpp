// The PostgreSQL server stops (pg_ctl stop -m fast) at each point of a call: before the
// connection, during the loading, during a code check and just before Confirm. The operator gets
// one clear message without the password, the typed line stays as typed, and once the server is
// back the screen carries on and Confirm returns exactly what was on the screen. The cluster is a
// private one, so the shared test server that other tests use is never stopped.
#include "ReliabilityFixture.h"

#include "TestDatabase.h"

#include "Cli_Kpf05520.h"
#include "Geralkvr.h"
#include "Srv_Kpf05520.h"
#include "TADOConnection.h"
#include "TClientDataSet.h"
#include "TDataSet.h"
#include "TScreen.h"

#include <QApplication>
#include <QEvent>
#include <functional>
#include <iostream>
#include <memory>

namespace
{

// Runs a callback the first time the screen is shown: after its initialization has opened the
// connection, before the activation that loads the stored lines.
class OnFirstShow : public QObject
{
public:
    explicit OnFirstShow(std::function<void()> callback) : m_callback(std::move(callback))
    {
        qApp->installEventFilter(this);
    }
    ~OnFirstShow() override { qApp->removeEventFilter(this); }
    bool Ran() const { return m_ran; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_ran && event->type() == QEvent::Show && Cli_Kpf05520::frmImpost &&
            watched == Cli_Kpf05520::frmImpost) {
            m_ran = true;
            m_callback();
        }
        return false;
    }

private:
    std::function<void()> m_callback;
    bool m_ran = false;
};

class ServerFault : public ReliabilityFixture
{
protected:
    // One cluster for the whole program; each test has a fresh schema of its own on it.
    static void SetUpTestSuite()
    {
        if (!MissingPrivateServer().isEmpty())
            return;
        s_server = ServerSettings::StartPrivate();
    }
    static void TearDownTestSuite()
    {
        if (!s_server.dataDir.isEmpty())
            RunScript(QStringLiteral("pg-stop"), {s_server.dataDir});
        s_server = {};
    }

    void SetUp() override
    {
        ReliabilityFixture::SetUp();
        if (const QString missing = MissingPrivateServer(); !missing.isEmpty()) {
            if (ServerRequired())
                FAIL() << missing.toStdString() << " (KPF_REQUIRE_PG=1)";
            GTEST_SKIP() << missing.toStdString();
        }
        ASSERT_TRUE(s_server.HasServer() && !s_server.dataDir.isEmpty())
            << "scripts/pg-start failed";
        if (!Running()) {
            ASSERT_TRUE(Start());
        }
        m_db = std::make_unique<TestDatabase>(Backend::PostgreSQL, s_server);
        ASSERT_FALSE(HasFatalFailure());
        Geralkvr::SetStringConexKvr(m_db->ConnectionString());
    }
    void TearDown() override
    {
        // Back up, so that the schema is dropped and the next test finds the server running.
        if (!s_server.dataDir.isEmpty() && !Running())
            Start();
        m_db.reset();
        ReliabilityFixture::TearDown();
    }

    static bool Running() { return RunScript("pg-ctl", {s_server.dataDir, "status"}) == 0; }
    static bool Start() { return RunScript("pg-ctl", {s_server.dataDir, "start"}) == 0; }
    static bool Stop() { return RunScript("pg-ctl", {s_server.dataDir, "stop"}) == 0; }

    void ExpectNoPassword(const QStringList &more = {}) const
    {
        ASSERT_FALSE(s_server.password.isEmpty());
        for (const QString &text : messages + errors + more)
            EXPECT_FALSE(text.contains(s_server.password))
                << "password shown in: " << text.toStdString();
    }
    QStringList AllShown() const { return messages + errors; }

    // The packet's rows as "state:text", sorted: 0 an unchanged original, 4 inserted.
    static QStringList StatedTexts(const Variant &packet)
    {
        QStringList texts;
        for (const QVariantMap &row : PacketRows(packet))
            texts << QStringLiteral("%1:%2")
                         .arg(row.value(QStringLiteral("rowState")).toInt())
                         .arg(Text(row));
        texts.sort();
        return texts;
    }

    static inline ServerSettings s_server;
    std::unique_ptr<TestDatabase> m_db;
};

// The three stored lines of the day as originals and the typed line as inserted.
const QStringList kStoredAndTyped = {
    QStringLiteral("0:01 7 1200"), QStringLiteral("0:03 18 2500.5"),
    QStringLiteral("0:03 18 430.25"), QStringLiteral("4:04 25 80")};

TEST_F(ServerFault, StoppedBeforeTheConnection)
{
    ASSERT_TRUE(Stop());
    const QString error = FailedEntryText({}, StoredDay());
    EXPECT_FALSE(error.isEmpty()) << "the entry did not fail";
    EXPECT_TRUE(error.contains(QStringLiteral("banco de dados"))) << error.toStdString();
    std::cout << "  error text: " << error.toStdString() << '\n';
    EXPECT_TRUE(AllShown().isEmpty()) << "more than one text: " << Shown().toStdString();
    EXPECT_FALSE(ActionRan()) << "the screen was shown without a connection";
    ExpectNothingLeft();
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "busy cursor left";
    ExpectNoPassword({error});
}

TEST_F(ServerFault, StoppedDuringTheLoadingThenBack)
{
    bool connectedAtStop = false;
    bool stopped = false;
    OnFirstShow stopAfterInit([&] {
        connectedAtStop =
            Srv_Kpf05520::rdmImpost && Srv_Kpf05520::rdmImpost->adcImpost->Connected();
        stopped = Stop();
    });
    QStringList shownWhileDown;
    bool activeWhileDown = true;
    QStringList onScreen;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            shownWhileDown = AllShown();
            activeWhileDown = form.cdsImpRedZ->Active();
            ASSERT_TRUE(Start());
            Play(QStringLiteral("reactivate")); // the next activation loads again
            EXPECT_EQ(Rows(form).size(), 3) << Shown().toStdString();
            TypeLine();
            onScreen = Texts(Rows(form));
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    ASSERT_TRUE(stopAfterInit.Ran() && stopped);
    EXPECT_TRUE(connectedAtStop) << "the initialization had not connected";
    EXPECT_FALSE(activeWhileDown) << "the list was opened although the loading failed";
    ASSERT_EQ(shownWhileDown.size(), 1) << Shown().toStdString();
    EXPECT_TRUE(shownWhileDown.first().contains(QStringLiteral("getImpRedZ")))
        << shownWhileDown.first().toStdString();
    EXPECT_EQ(AllShown().size(), 1) << Shown().toStdString();
    ASSERT_TRUE(result.isPacket()) << Shown().toStdString();
    EXPECT_EQ(StatedTexts(result), kStoredAndTyped);
    EXPECT_EQ(onScreen.size(), 4);
    ExpectNoPassword();
}

TEST_F(ServerFault, StoppedDuringACodeCheck)
{
    QStringList typed;
    int fieldAfterFault = -1;
    int fieldAfterBack = -1;
    int shownAtFault = -1;
    QStringList onScreen;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            ASSERT_EQ(Rows(form).size(), 3) << Shown().toStdString();
            Play(QStringLiteral("click blsMais\ntype 04"));
            ASSERT_TRUE(Stop());
            Play(QStringLiteral("key Enter")); // the code check cannot read IMPOSTO
            typed = Codes(form);
            fieldAfterFault = form.NrCampo();
            shownAtFault = int(AllShown().size());
            ASSERT_TRUE(Start());
            Play(QStringLiteral("key Enter"));
            fieldAfterBack = form.NrCampo();
            Play(QStringLiteral("type 25\nkey Enter\ntype 80"));
            onScreen = Texts(Rows(form));
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    EXPECT_TRUE(typed.contains(QStringLiteral("04"))) << typed.join('|').toStdString();
    EXPECT_EQ(fieldAfterFault, 1) << "the editor left the code field";
    EXPECT_EQ(shownAtFault, 1) << Shown().toStdString();
    EXPECT_EQ(fieldAfterBack, 2) << "the code was not accepted once the server was back";
    ASSERT_EQ(AllShown().size(), 1) << Shown().toStdString();
    EXPECT_TRUE(AllShown().first().contains(QStringLiteral("getPesqImp")))
        << AllShown().first().toStdString();
    ASSERT_TRUE(result.isPacket()) << Shown().toStdString();
    EXPECT_EQ(StatedTexts(result), kStoredAndTyped);
    EXPECT_EQ(onScreen.size(), 4);
    ExpectNoPassword();
}

TEST_F(ServerFault, StoppedJustBeforeConfirm)
{
    QStringList beforeFault;
    QStringList afterFault;
    bool stillShown = false;
    int stateAfterFault = -1;
    const Variant result = RunEntry(
        [&](TfrmImpost &form) {
            TypeLine();
            beforeFault = Texts(Rows(form));
            ASSERT_TRUE(Stop());
            Play(QStringLiteral("click blsConfirm")); // the posting's code check fails
            stillShown = form.isVisible();
            afterFault = Texts(Rows(form));
            stateAfterFault = State(form);
            ASSERT_TRUE(Start());
            Play(QStringLiteral("click blsConfirm"));
        },
        StoredDay());
    EXPECT_TRUE(stillShown) << "Confirm closed the screen although the line was not posted";
    EXPECT_EQ(afterFault, beforeFault) << "the typed line changed";
    EXPECT_EQ(stateAfterFault, dsInsert) << "the typed line is no longer pending";
    ASSERT_EQ(AllShown().size(), 1) << Shown().toStdString();
    ASSERT_TRUE(result.isPacket()) << Shown().toStdString();
    EXPECT_EQ(StatedTexts(result), kStoredAndTyped);
    ExpectNoPassword();
}

} // namespace
