// The test interface (libkpf_test.so) as a host's test uses it in-process while the entry runs:
// the screen's closing reported before the entry returns, nothing done on a screen that a box
// covers, and nothing done from another thread.
#include "ReliabilityFixture.h"

#include "Mensagemkvr.h"
#include "kpf05520.h"
#include "kpf_test.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <thread>

namespace
{

int CallEntry()
{
    char *result = nullptr;
    char *error = nullptr;
    const ZKey key;
    const int code = CriaImpostoRedz(key.branch.toUtf8().constData(), key.till.toUtf8().constData(),
                                     key.zCounter.toUtf8().constData(), key.zDate,
                                     key.referenceDate, nullptr, 0, &result, &error);
    KpfFree(result);
    KpfFree(error);
    return code;
}

// Runs the entry with a screen observer that calls onStatus for every status it reports; the
// message boxes are real ones, as a host without presenters has them.
class TestInterface : public ReliabilityFixture
{
protected:
    void SetUp() override
    {
        ReliabilityFixture::SetUp();
        Mensagemkvr::SetMessagePresenter({});
    }
    void TearDown() override
    {
        KpfTest_SetScreenObserver(nullptr, nullptr);
        ReliabilityFixture::TearDown();
    }

    int Run(std::function<void(int)> onStatus)
    {
        m_onStatus = std::move(onStatus);
        EXPECT_EQ(KpfTest_SetScreenObserver(&TestInterface::Observe, this), KPF_TEST_OK);
        // Whatever the case leaves open ends after a while, so that a fault fails the test
        // instead of hanging it.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            KpfTest_EndScreen();
        });
        watchdog.start(10000);
        const int code = CallEntry();
        reportedWhenTheEntryReturned = reported;
        KpfTest_SetScreenObserver(nullptr, nullptr);
        return code;
    }

    QList<int> reported;
    QList<int> reportedWhenTheEntryReturned;

private:
    static void Observe(int status, void *context)
    {
        auto *self = static_cast<TestInterface *>(context);
        self->reported << status;
        self->m_onStatus(status);
    }

    std::function<void(int)> m_onStatus;
};

// Cancel touched from inside the observer, as a host's test plays its actions there.
TEST_F(TestInterface, ClosingIsReportedBeforeTheEntryReturns)
{
    const int code = Run([done = false](int status) mutable {
        if (!done && status == KPF_SCREEN_ACTIVE) {
            done = true;
            KpfTest_Touch("blsCancel");
        }
    });
    EXPECT_EQ(code, KPF_NOT_CONFIRMED);
    ASSERT_FALSE(reportedWhenTheEntryReturned.isEmpty());
    EXPECT_EQ(reportedWhenTheEntryReturned.last(), KPF_SCREEN_NONE)
        << "a host that waits for NONE would wait for ever";
}

// An unknown code and Enter bring up "Imposto não cadastrado."; under it, every operator action
// is refused and leaves the screen as it was.
TEST_F(TestInterface, ActionsOnACoveredScreenAreRefused)
{
    struct Action {
        const char *name;
        std::function<int()> call;
    };
    const Action actions[] = {
        {"touch Confirm", [] { return KpfTest_Touch("blsConfirm"); }},
        {"touch Menos", [] { return KpfTest_Touch("blsMenos"); }},
        {"touch a cell", [] { return KpfTest_TouchGridCell(0, "CDIMPOSTO"); }},
        {"key by name", [] { return KpfTest_SendKeyName("5"); }},
        {"key", [] { return KpfTest_SendKey(Qt::Key_5, 0, "5"); }},
    };
    QStringList results;
    QByteArray stateUnder, stateAfter;
    bool covered = false;
    const auto state = [] {
        QByteArray text(KpfTest_GetScreenState(nullptr, 0), '\0');
        KpfTest_GetScreenState(text.data(), int(text.size()) + 1);
        return text;
    };
    const int code = Run([&, typed = false](int status) mutable {
        if (!typed && status == KPF_SCREEN_ACTIVE) {
            typed = true;
            QTimer::singleShot(0, [] {
                KpfTest_SendKeyName("9");
                KpfTest_SendKeyName("9");
                KpfTest_SendKeyName("Return"); // returns once the box is closed
                KpfTest_Touch("blsCancel");
            });
        } else if (!covered && status == KPF_SCREEN_COVERED) {
            covered = true;
            stateUnder = state();
            for (const Action &action : actions)
                results
                    << QStringLiteral("%1: %2").arg(QLatin1String(action.name)).arg(action.call());
            stateAfter = state();
            QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        }
    });
    EXPECT_EQ(code, KPF_NOT_CONFIRMED) << "Confirm ran under the box";
    ASSERT_TRUE(covered) << messages.join(QLatin1Char('|')).toStdString();
    QStringList expected;
    for (const Action &action : actions)
        expected << QStringLiteral("%1: %2").arg(QLatin1String(action.name)).arg(KPF_TEST_COVERED);
    EXPECT_EQ(results.join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(stateAfter.toStdString(), stateUnder.toStdString());
}

TEST_F(TestInterface, CallsFromAnotherThreadAreRefused)
{
    struct Call {
        const char *name;
        std::function<int()> call;
    };
    const Call calls[] = {
        {"ScreenStatus", [] { return KpfTest_ScreenStatus(); }},
        {"SetScreenObserver", [] { return KpfTest_SetScreenObserver(nullptr, nullptr); }},
        {"SetErrorObserver", [] { return KpfTest_SetErrorObserver(nullptr, nullptr); }},
        {"GetScreenState", [] { return KpfTest_GetScreenState(nullptr, 0); }},
        {"Touch", [] { return KpfTest_Touch("sbt1"); }},
        {"GridRowCount", [] { return KpfTest_GridRowCount(); }},
        {"TouchGridCell", [] { return KpfTest_TouchGridCell(0, "CDIMPOSTO"); }},
        {"SendKey", [] { return KpfTest_SendKey(Qt::Key_1, 0, "1"); }},
        {"SendKeyName", [] { return KpfTest_SendKeyName("1"); }},
        {"ActivateScreen", [] { return KpfTest_ActivateScreen(); }},
        {"CloseScreen", [] { return KpfTest_CloseScreen(); }},
        {"EndScreen", [] { return KpfTest_EndScreen(); }},
        {"SaveScreenshot", [] { return KpfTest_SaveScreenshot("/dev/null"); }},
    };
    QStringList results;
    QByteArray before, after;
    const int code = Run([&, done = false](int status) mutable {
        if (done || status != KPF_SCREEN_ACTIVE)
            return;
        done = true;
        QTimer::singleShot(0, [&] {
            before = QByteArray(KpfTest_GetScreenState(nullptr, 0), '\0');
            KpfTest_GetScreenState(before.data(), int(before.size()) + 1);
            std::thread([&] {
                for (const Call &call : calls)
                    results
                        << QStringLiteral("%1: %2").arg(QLatin1String(call.name)).arg(call.call());
            }).join();
            after = QByteArray(KpfTest_GetScreenState(nullptr, 0), '\0');
            KpfTest_GetScreenState(after.data(), int(after.size()) + 1);
            KpfTest_Touch("blsCancel");
        });
    });
    EXPECT_EQ(code, KPF_NOT_CONFIRMED);
    QStringList expected;
    for (const Call &call : calls)
        expected
            << QStringLiteral("%1: %2").arg(QLatin1String(call.name)).arg(KPF_TEST_WRONG_THREAD);
    EXPECT_EQ(results.join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());
    EXPECT_EQ(after.toStdString(), before.toStdString())
        << "a key from the other thread reached the screen";
}

} // namespace
