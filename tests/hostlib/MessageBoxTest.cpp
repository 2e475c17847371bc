#include "Mensagemkvr.h"
#include "kpf_dll.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPointingDevice>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace
{

// What the default box looked like while it was up.
struct BoxSeen {
    bool seen = false;
    QString title;
    bool transient = false;
    int buttonHeight = 0;
    int buttonFontPixels = 0;
};

// Shows a message through the default presenter; while it is up, `operatorAction` looks at it and
// acknowledges it. A watchdog closes a box that ignored the operator, so a fault fails the test
// instead of hanging it.
class DefaultBoxTest : public ::testing::Test
{
protected:
    void SetUp() override { Mensagemkvr::SetMessagePresenter({}); }
    void TearDown() override
    {
        KpfDll_SetAutoAcknowledge(0);
        KpfDll_SetMessageObserver(nullptr, nullptr);
    }

    void showWith(TTipoMsg kind, std::function<void(QWidget *box)> operatorAction)
    {
        QTimer operatorTimer;
        operatorTimer.setSingleShot(true);
        QObject::connect(&operatorTimer, &QTimer::timeout, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            record(box);
            if (operatorAction)
                operatorAction(box);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                watchdogFired = true;
                box->close();
            }
        });
        operatorTimer.start(50);
        watchdog.start(3000);
        Mensagemkvr::Mensagem(QString::fromUtf8("Imposto não cadastrado."), "", "N", "N", kind, "",
                              "", 0, nullptr);
    }

    void record(QWidget *box)
    {
        seen.seen = true;
        seen.title = box->windowTitle();
        seen.transient = box->property("kpfTransient").toBool();
        if (auto *ok = box->findChild<QPushButton *>()) {
            seen.buttonHeight = ok->height();
            seen.buttonFontPixels = QFontInfo(ok->font()).pixelSize();
        }
    }

    BoxSeen seen;
    bool watchdogFired = false;
};

TEST_F(DefaultBoxTest, EnterAcknowledgesTheTouchSizedBox)
{
    showWith(TTipoMsg::tmAtencao, [](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_TRUE(seen.seen);
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(seen.title, QString::fromUtf8("Atenção"));
    EXPECT_TRUE(seen.transient);
    EXPECT_GE(seen.buttonHeight, 44);
    EXPECT_GE(seen.buttonFontPixels, 18);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DefaultBoxTest, ClickOnOkAcknowledges)
{
    showWith(TTipoMsg::tmErro, [](QWidget *box) {
        QTest::mouseClick(box->findChild<QPushButton *>(), Qt::LeftButton);
    });
    EXPECT_TRUE(seen.seen);
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(seen.title, "Erro");
}

TEST_F(DefaultBoxTest, TouchOnOkAcknowledges)
{
    static QPointingDevice *touchScreen = QTest::createTouchDevice();
    showWith(TTipoMsg::tmInformacao, [](QWidget *box) {
        QPushButton *ok = box->findChild<QPushButton *>();
        const QPoint centre = ok->rect().center();
        QTest::touchEvent(box, touchScreen).press(0, centre, ok);
        QTest::touchEvent(box, touchScreen).release(0, centre, ok);
    });
    EXPECT_TRUE(seen.seen);
    EXPECT_FALSE(watchdogFired);
}

TEST_F(DefaultBoxTest, TitlesFollowTheKindOrdinals)
{
    const std::pair<int, const char *> titles[] = {
        {0, "Informação"}, {1, "Aviso"}, {2, "Erro"}, {3, "Atenção"}, {4, "Pergunta"}};
    for (const auto &[ordinal, title] : titles) {
        seen = {};
        showWith(static_cast<TTipoMsg>(ordinal),
                 [](QWidget *box) { QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier); });
        EXPECT_EQ(seen.title, QString::fromUtf8(title)) << ordinal;
    }
    EXPECT_FALSE(watchdogFired);
}

// The observer hears of the message before the box is up; with auto-acknowledge on, the box is
// really shown and then closed by an Enter key that it receives like an operator's.
TEST_F(DefaultBoxTest, AutoAcknowledgeSendsARealEnterAfterTheObserver)
{
    struct Log {
        int observed = 0;
        bool boxUpWhenObserved = false;
        int enterKeysToBox = 0;
    } log;
    KpfDll_SetMessageObserver(
        [](const char *, int, void *context) {
            auto *l = static_cast<Log *>(context);
            ++l->observed;
            l->boxUpWhenObserved = QApplication::activeModalWidget() != nullptr;
        },
        &log);

    struct EnterSpy : QObject {
        Log *log = nullptr;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (event->type() == QEvent::KeyPress && widget &&
                widget->window()->property("kpfTransient").toBool() &&
                static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return)
                ++log->enterKeysToBox;
            return false;
        }
    } spy;
    spy.log = &log;
    qApp->installEventFilter(&spy);

    KpfDll_SetAutoAcknowledge(1);
    showWith(TTipoMsg::tmAtencao, nullptr); // nobody at the screen
    qApp->removeEventFilter(&spy);

    EXPECT_TRUE(seen.seen);
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(log.observed, 1);
    EXPECT_FALSE(log.boxUpWhenObserved);
    EXPECT_EQ(log.enterKeysToBox, 1);
}

} // namespace
