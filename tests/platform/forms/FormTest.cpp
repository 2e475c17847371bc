#include "EventGuard.h"
#include "Exceptions.h"
#include "QtPrinters.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TShape.h"
#include "TestForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

class TFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorPresenter([this](const QString &message) { shown << message; });
    }
    void TearDown() override { SetErrorPresenter({}); }

    QStringList shown;
};

// The form sees each key once, before the focused control: key-down first (which may discard
// the key), then the typed character, then the control's own key-down handler.
TEST_F(TFormTest, KeyPreviewRunsBeforeTheControlAndOnlyOnce)
{
    struct Row {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QStringList log;
    };
    const Row rows[] = {
        {"Alt+F4 discarded", Qt::Key_F4, Qt::AltModifier, {"down 73 2"}},
        {"Alt+Shift+F4 passes",
         Qt::Key_F4,
         Qt::AltModifier | Qt::ShiftModifier,
         {"down 73 3", "grid 73 3"}},
        {"Ctrl+Alt+F4 passes",
         Qt::Key_F4,
         Qt::AltModifier | Qt::ControlModifier,
         {"down 73 6", "grid 73 6"}},
        {"Enter", Qt::Key_Return, {}, {"down d 0", "press 13", "grid d 0"}},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, {"down d 0", "press 13", "grid d 0"}},
        {"Escape", Qt::Key_Escape, {}, {"down 1b 0", "press 27", "grid 1b 0"}},
        {"Backspace", Qt::Key_Backspace, {}, {"down 8 0", "press 8", "grid 8 0"}},
        {"digit", Qt::Key_5, {}, {"down 35 0", "press 53", "grid 35 0"}},
        {"comma", Qt::Key_Comma, {}, {"down bc 0", "press 44", "grid bc 0"}},
        {"full stop", Qt::Key_Period, {}, {"down be 0", "press 46", "grid be 0"}},
        {"Delete types nothing", Qt::Key_Delete, {}, {"down 2e 0", "grid 2e 0"}},
        {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier, {"down 2e 4", "grid 2e 4"}},
        {"Ctrl+digit types nothing", Qt::Key_5, Qt::ControlModifier, {"down 35 4", "grid 35 4"}},
    };
    TestForm form;
    ASSERT_TRUE(form.ActivateAndFocusGrid());
    for (const Row &row : rows) {
        form.log.clear();
        QTest::keyClick(form.grid, row.key, row.modifiers);
        EXPECT_EQ(form.log, row.log) << row.name;
        EXPECT_TRUE(form.isVisible()) << row.name;
    }
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(TFormTest, KeysStillReachTheFocusedControlAfterThePreview)
{
    TestForm form;
    ASSERT_TRUE(form.ActivateAndFocusGrid());
    form.edit->setFocus();
    QTest::keyClicks(form.edit, "7,");
    EXPECT_EQ(form.log, QStringList({"down 37 0", "press 55", "down bc 0", "press 44"}));
    EXPECT_EQ(form.edit->text(), "7,");
}

TEST_F(TFormTest, AnErrorOfTheKeyDownHandlerIsShownAndDiscardsTheKey)
{
    TestForm form;
    ASSERT_TRUE(form.ActivateAndFocusGrid());
    form.failKeyDown = true;
    QTest::keyClick(form.grid, Qt::Key_5);
    EXPECT_EQ(form.log, QStringList({"down 35 0"}));
    EXPECT_EQ(shown, QStringList({"key refused"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TFormTest, EscapeAndEnterNeitherCloseTheDialogNorPressTheDefaultButton)
{
    TestForm form;
    ASSERT_TRUE(form.ActivateAndFocusGrid());
    for (QWidget *receiver : {static_cast<QWidget *>(form.grid), static_cast<QWidget *>(&form)}) {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            form.log.clear();
            QTest::keyClick(receiver, key);
            EXPECT_TRUE(form.isVisible()) << receiver->objectName().toStdString() << " " << key;
            EXPECT_FALSE(form.log.join(',').contains("click"))
                << receiver->objectName().toStdString() << " " << key;
        }
    }
}

TEST_F(TFormTest, ShowModalIsCentredAndEndsOnlyOnClose)
{
    TestForm form;
    bool visibleAfterKeys = false;
    QRect geometry;
    QTimer::singleShot(0, &form, [&] {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Return);
        visibleAfterKeys = form.isVisible();
        geometry = form.geometry();
        form.Close();
    });
    EXPECT_EQ(form.ShowModal(), TForm::mrCancel);
    EXPECT_TRUE(visibleAfterKeys);
    EXPECT_FALSE(form.isVisible());
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_EQ(geometry.size(), QSize(400, 240));
    EXPECT_EQ(geometry.left() - screen.left(), screen.right() - geometry.right());
    EXPECT_LE(std::abs((geometry.top() - screen.top()) - (screen.bottom() - geometry.bottom())), 1);
}

TEST_F(TFormTest, AWindowSystemCloseEndsTheModalLoop)
{
    TestForm form;
    QTimer::singleShot(0, &form, [&] { form.close(); });
    EXPECT_EQ(form.ShowModal(), TForm::mrCancel);
    EXPECT_FALSE(form.isVisible());
}

bool Activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

TEST_F(TFormTest, ActivationRunsOnceForEachRealActivation)
{
    TestForm form;
    ASSERT_TRUE(Activate(&form));
    EXPECT_EQ(form.activations, 1);

    QDialog box(&form);
    box.setProperty("kpfTransient", true);
    ASSERT_TRUE(Activate(&box));
    box.hide();
    ASSERT_TRUE(Activate(&form));
    EXPECT_EQ(form.activations, 1) << "a transient box closing is no new activation";

    QWidget other;
    other.resize(100, 100);
    ASSERT_TRUE(Activate(&other));
    ASSERT_TRUE(Activate(&form));
    EXPECT_EQ(form.activations, 2) << "another window took the activation";

    // Shown again: a new activation, even when only a transient box was active in between.
    form.hide();
    ASSERT_TRUE(Activate(&box));
    box.hide();
    ASSERT_TRUE(Activate(&form));
    EXPECT_EQ(form.activations, 3) << "shown again";
}

// The real sequence: an error box shown by the guard over the active form, acknowledged by Enter.
TEST_F(TFormTest, TheDefaultErrorBoxDoesNotReactivateTheForm)
{
    SetErrorPresenter({});
    TestForm form;
    ASSERT_TRUE(Activate(&form));
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (clock.elapsed() > 3000)
                box->done(0);
            else
                QTest::keyClick(box, Qt::Key_Return);
        }
    });
    poll.start(20);
    form.onClick = [] { throw Exception("Imposto não cadastrado."); };
    form.button->click();
    poll.stop();
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_TRUE(Activate(&form));
    EXPECT_EQ(form.activations, 1);
}

// An opaque shape is shown without what lies beneath it; a translucent one must still show it.
TEST(TShapeTest, WhatLiesBeneathShowsOnlyThroughATranslucentBrush)
{
    const struct {
        QColor brush;
        QColor seen;
    } rows[] = {
        {QColor(0, 0, 255), QColor(0, 0, 255)},
        {QColor(0, 0, 255, 0), QColor(255, 0, 0)},
        {QColor(0, 0, 255, 128), QColor(127, 0, 128)},
    };
    for (const auto &row : rows) {
        QWidget parent;
        parent.resize(40, 40);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::red);
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
        auto *shape = new TShape(&parent);
        shape->setGeometry(0, 0, 40, 40);
        shape->SetBrushColor(row.brush);
        shape->SetPenWidth(0);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        QApplication::processEvents();
        // What the window shows, not a fresh rendering of it as grab() would make.
        const QImage shown = parent.screen()->grabWindow(parent.winId()).toImage();
        const QColor seen = shown.pixelColor(20, 20);
        EXPECT_NEAR(seen.red(), row.seen.red(), 1) << qPrintable(row.brush.name(QColor::HexArgb));
        EXPECT_EQ(seen.green(), row.seen.green());
        EXPECT_NEAR(seen.blue(), row.seen.blue(), 1) << qPrintable(row.brush.name(QColor::HexArgb));
    }
}

} // namespace
