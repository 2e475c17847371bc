#include "EventGuard.h"
#include "Exceptions.h"
#include "FormBinding.h"
#include "HandlerBinding.h"
#include "QtPrinters.h"
#include "TClientDataSet.h"
#include "TestForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

class EventGuardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorPresenter([this](const QString &message) { shown << message; });
    }
    void TearDown() override { SetErrorPresenter({}); }

    QStringList shown;
};

TEST_F(EventGuardTest, SilentAbortIsSwallowedAndEveryOtherErrorIsShown)
{
    struct Row {
        const char *name;
        std::function<void()> handler;
        bool endsNormally;
        QStringList shown;
    };
    const Row rows[] = {
        {"normal end", [] {}, true, {}},
        {"silent abort", [] { throw EAbort(); }, false, {}},
        {"platform error",
         [] { throw EConvertError("'x' não é um valor válido"); },
         false,
         {"'x' não é um valor válido"}},
        {"database error",
         [] { throw EDatabaseError("Conjunto de dados vazio"); },
         false,
         {"Conjunto de dados vazio"}},
        {"standard error", [] { throw std::runtime_error("disk full"); }, false, {"disk full"}},
        {"anything else", [] { throw 42; }, false, {"Erro desconhecido."}},
    };
    for (const Row &row : rows) {
        shown.clear();
        EXPECT_EQ(RunGuarded(row.handler), row.endsNormally) << row.name;
        EXPECT_EQ(shown, row.shown) << row.name;
    }
}

TEST_F(EventGuardTest, AFailingPresenterDoesNotLetTheErrorEscape)
{
    SetErrorPresenter([](const QString &) { throw std::runtime_error("presenter broke"); });
    bool result = true;
    EXPECT_NO_THROW(result = RunGuarded([] { throw Exception("boom"); }));
    EXPECT_FALSE(result);
}

// The default box: modal, marked transient, one large OK button that Enter presses.
TEST(DefaultErrorPresenter, ShowsATransientBoxThatEnterAcknowledges)
{
    SetErrorPresenter({});
    QString text;
    bool transient = false;
    int okHeight = 0;
    bool acknowledged = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (clock.elapsed() > 3000) { // Enter did not close it: do not hang the test
            box->done(0);
            return;
        }
        if (text.isEmpty()) {
            text = box->text();
            transient = box->property("kpfTransient").toBool();
            if (!box->buttons().isEmpty())
                okHeight = box->buttons().first()->minimumHeight();
            QTest::keyClick(box, Qt::Key_Return);
            acknowledged = !box->isVisible();
        }
    });
    poll.start(20);
    ShowError(QStringLiteral("Falha na leitura"));
    poll.stop();
    EXPECT_EQ(text, "Falha na leitura");
    EXPECT_TRUE(transient);
    EXPECT_GE(okHeight, 48);
    EXPECT_TRUE(acknowledged);
}

TEST_F(EventGuardTest, ClickRunsTheNamedHandlerWithItsControlAsSender)
{
    TestForm form;
    form.button->click();
    form.otherButton->click();
    EXPECT_EQ(form.log, QStringList({"click button", "click otherButton"}));
    EXPECT_EQ(form.creations, 1);
}

TEST_F(EventGuardTest, ErrorsOfAClickHandlerAreShownAndTheFormStaysUp)
{
    TestForm form;
    form.show();
    form.onClick = [] { throw EDatabaseError("Conjunto de dados vazio"); };
    form.button->click();
    form.onClick = [] { throw EAbort(); };
    form.button->click();
    EXPECT_EQ(shown, QStringList({"Conjunto de dados vazio"}));
    EXPECT_TRUE(form.isVisible());
    form.onClick = nullptr;
    form.button->click(); // still bound and working
    EXPECT_EQ(form.log.size(), 3);
}

TEST(HandlerBinding, MissingHandlersAreReportedAtCreation)
{
    struct Row {
        const char *name;
        TestForm::Options options;
        const char *missing;
    };
    TestForm::Options badClick;
    badClick.clickHandler = "blsNowhereClick";
    TestForm::Options badGridKey;
    badGridKey.gridKeyDownHandler = "dbgNowhereKeyDown";
    // A handler of that name exists, but the click could only call it with the wrong arguments.
    TestForm::Options dataSetHookAsClick;
    dataSetHookAsClick.clickHandler = "DataBeforePost";
    const Row rows[] = {
        {"click handler", badClick, "blsNowhereClick"},
        {"grid key-down handler", badGridKey, "dbgNowhereKeyDown"},
        {"click handler of other parameters", dataSetHookAsClick, "DataBeforePost(TDataSet*)"},
    };
    for (const Row &row : rows) {
        try {
            TestForm form(row.options);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const Exception &e) {
            EXPECT_TRUE(e.Message().contains(row.missing)) << row.name << ": " << e.what();
        }
    }
}

TEST(HandlerBinding, ControlWithoutAClickSignalIsAnError)
{
    TestForm form;
    QObject root;
    auto *control = new QObject(&root);
    control->setObjectName("plainObject");
    control->setProperty("onClick", "ButtonClick");
    EXPECT_THROW(HandlerBinding::BindClicks(&form, &root), Exception);
}

TEST(HandlerBinding, DataSetHooksCallTheOwnerAndTheirErrorsReachTheCaller)
{
    SetErrorPresenter(
        [](const QString &message) { ADD_FAILURE() << "shown: " << message.toStdString(); });
    TestForm form;
    form.cds->CreateDataSet();
    form.log.clear();
    form.cds->Insert();
    form.cds->FieldByName("CODE")->SetAsString("01");
    form.refusePost = true;
    EXPECT_THROW(form.cds->Post(), EAbort);
    EXPECT_EQ(form.cds->State(), dsInsert);
    form.refusePost = false;
    form.cds->Post();
    EXPECT_EQ(form.cds->State(), dsBrowse);
    EXPECT_EQ(form.log, QStringList({"beforeInsert cds", "beforePost cds", "beforePost cds"}));
    SetErrorPresenter({});
}

} // namespace
