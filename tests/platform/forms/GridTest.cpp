#include "DataSetModel.h"
#include "EventGuard.h"
#include "QtPrinters.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TestForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

class TDBGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorPresenter([this](const QString &message) { shown << message; });
        form.AddRows({{"01", 1.5}, {"02", 7}, {"03", 12}});
        ASSERT_TRUE(form.ActivateAndFocusGrid());
        form.log.clear();
    }
    void TearDown() override { SetErrorPresenter({}); }

    QPoint CellCentre(int row, int column) const
    {
        return form.grid->visualRect(form.grid->model()->index(row, column)).center();
    }
    void StartPendingLine()
    {
        form.cds->First();
        form.cds->Insert();
        form.cds->FieldByName("CODE")->SetAsString("04");
        form.log.clear();
    }

    TestForm form;
    QStringList shown;
};

TEST_F(TDBGridTest, CellsShowTheFieldTextsUnderTheColumnTitles)
{
    const QAbstractItemModel *model = form.grid->model();
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), "1,5");
    EXPECT_EQ(model->data(model->index(1, 0)).toString(), "02");
    EXPECT_EQ(model->data(model->index(2, 1)).toString(), "12");
    EXPECT_EQ(model->data(model->index(2, 2)).toString(), ""); // null
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Alíquota");
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
}

// No keyboard search, no editor, no delete: these keys leave the data set as it is.
TEST_F(TDBGridTest, KeysOtherThanArrowsAndTabsLeaveTheDataSetAlone)
{
    struct Row {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Row rows[] = {
        {"digit 0 (a code starts with it)", Qt::Key_0, {}},
        {"digit 3", Qt::Key_3, {}},
        {"letter", Qt::Key_A, {}},
        {"Enter", Qt::Key_Return, {}},
        {"Escape", Qt::Key_Escape, {}},
        {"Backspace", Qt::Key_Backspace, {}},
        {"Delete", Qt::Key_Delete, {}},
        {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier},
        {"Ctrl+Shift+Delete", Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier},
        {"F2", Qt::Key_F2, {}},
    };
    form.cds->Next();
    for (const Row &row : rows) {
        QTest::keyClick(form.grid, row.key, row.modifiers);
        EXPECT_EQ(form.cds->CurrentRow(), 1) << row.name;
        EXPECT_EQ(form.grid->currentIndex().row(), 1) << row.name;
        EXPECT_EQ(form.cds->RecordCount(), 3) << row.name;
        EXPECT_EQ(form.cds->State(), dsBrowse) << row.name;
        EXPECT_EQ(form.grid->SelectedIndex(), 0) << row.name;
    }
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(TDBGridTest, UpAndDownMoveTheDataSet)
{
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2},
                                             {Qt::Key_Down, 2}, {Qt::Key_Up, 1},
                                             {Qt::Key_Up, 0},   {Qt::Key_Up, 0}};
    int step = 0;
    for (const auto &[key, row] : steps) {
        QTest::keyClick(form.grid, key);
        EXPECT_EQ(form.cds->CurrentRow(), row) << "step " << step;
        EXPECT_EQ(form.grid->currentIndex().row(), row) << "step " << step;
        ++step;
    }
}

TEST_F(TDBGridTest, ARefusedPostingKeepsTheCursorAndThePendingLine)
{
    StartPendingLine();
    form.refusePost = true;
    QTest::keyClick(form.grid, Qt::Key_Down);
    QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, CellCentre(2, 2));
    EXPECT_EQ(form.cds->State(), dsInsert);
    EXPECT_EQ(form.cds->CurrentRow(), 0);
    EXPECT_EQ(form.cds->RecordCount(), 4);
    EXPECT_EQ(form.grid->currentIndex(), form.grid->model()->index(0, 0));
    EXPECT_EQ(form.grid->SelectedFieldName(), "CODE") << "a refused touch selects no column";
    EXPECT_TRUE(shown.isEmpty()) << "the silent abort shows nothing";

    form.refusePost = false;
    QTest::keyClick(form.grid, Qt::Key_Down);
    EXPECT_EQ(form.cds->State(), dsBrowse);
    EXPECT_EQ(form.cds->CurrentRow(), 1);
}

// A mouse click and a touch both move the row and select the column of the cell.
TEST_F(TDBGridTest, APressOnACellMovesTheRowAndSelectsTheColumn)
{
    // Qt keeps a registered device for the life of the process: one for the whole program.
    static QPointingDevice *touchScreen = QTest::createTouchDevice();
    const std::function<void(QPoint)> presses[] = {
        [this](QPoint at) { QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, at); },
        [&](QPoint at) {
            QTest::touchEvent(form.grid->viewport(), touchScreen).press(0, at);
            QTest::touchEvent(form.grid->viewport(), touchScreen).release(0, at);
        },
    };
    for (const auto &press : presses) {
        form.cds->First();
        form.grid->SetSelectedIndex(0);
        press(CellCentre(2, 1));
        EXPECT_EQ(form.cds->CurrentRow(), 2);
        EXPECT_EQ(form.grid->property("selectedField").toString(), "RATE");
        const QModelIndex current = form.grid->currentIndex();
        EXPECT_EQ(current, form.grid->model()->index(2, 1));
        EXPECT_TRUE(form.grid->selectionModel()->isSelected(current));
    }
}

TEST_F(TDBGridTest, AClickOnThePendingLineSelectsTheColumnWithoutPosting)
{
    StartPendingLine();
    QTest::mouseClick(form.grid->viewport(), Qt::LeftButton, {}, CellCentre(0, 1));
    EXPECT_EQ(form.cds->State(), dsInsert);
    EXPECT_EQ(form.grid->SelectedFieldName(), "RATE");
    EXPECT_FALSE(form.log.contains("beforePost cds"));
}

TEST_F(TDBGridTest, ArrowsAndTabsMoveTheSelectedColumn)
{
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *field;
    };
    const Row rows[] = {
        {Qt::Key_Right, {}, "RATE"},
        {Qt::Key_Right, {}, "VALUE"},
        {Qt::Key_Right, {}, "VALUE"},
        {Qt::Key_Left, {}, "RATE"},
        {Qt::Key_Tab, {}, "VALUE"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "RATE"},
        {Qt::Key_Tab, Qt::ShiftModifier, "CODE"},
        {Qt::Key_Left, {}, "CODE"},
    };
    int step = 0;
    for (const Row &row : rows) {
        QTest::keyClick(form.grid, row.key, row.modifiers);
        EXPECT_EQ(form.grid->SelectedFieldName(), row.field) << "step " << step;
        EXPECT_EQ(form.grid->currentIndex().column(), form.grid->SelectedIndex());
        ++step;
    }
    EXPECT_EQ(QApplication::focusWidget(), form.grid) << "Tab keeps the focus in the grid";
    EXPECT_EQ(form.cds->CurrentRow(), 0);
}

TEST_F(TDBGridTest, TheGridsKeyDownHandlerRunsFirstAndCanDiscardTheKey)
{
    QTest::keyClick(form.grid, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(form.cds->CurrentRow(), 0);
    QTest::keyClick(form.grid, Qt::Key_Down);
    EXPECT_EQ(form.cds->CurrentRow(), 1);
    EXPECT_EQ(form.log, QStringList({"down 28 4", "grid 28 4", "down 28 0", "grid 28 0"}));
}

TEST_F(TDBGridTest, FocusControlSelectsTheColumnAndTakesTheFocus)
{
    form.edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form.edit);
    form.cds->FieldByName("VALUE")->FocusControl();
    EXPECT_EQ(form.grid->SelectedFieldName(), "VALUE");
    EXPECT_EQ(QApplication::focusWidget(), form.grid);
    EXPECT_EQ(form.grid->currentIndex(), form.grid->model()->index(0, 2));
}

TEST_F(TDBGridTest, AChangedValueRepaintsItsRowOnly)
{
    QSignalSpy resets(form.grid->model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(form.grid->model(), &QAbstractItemModel::dataChanged);
    form.cds->Next();
    form.cds->Edit();
    form.cds->FieldByName("RATE")->SetAsFloat(9.25);
    EXPECT_EQ(resets.count(), 0);
    ASSERT_GE(changes.count(), 1);
    for (const QList<QVariant> &change : changes) {
        EXPECT_EQ(change.at(0).toModelIndex().row(), 1);
        EXPECT_EQ(change.at(1).toModelIndex().row(), 1);
    }
    EXPECT_EQ(form.grid->model()->index(1, 1).data().toString(), "9,25");
}

TEST_F(TDBGridTest, TheCurrentCellFollowsTheDataSet)
{
    form.cds->Last();
    EXPECT_EQ(form.grid->currentIndex(), form.grid->model()->index(2, 0));
    form.cds->Insert(); // before the current row
    EXPECT_EQ(form.grid->model()->rowCount(), 4);
    EXPECT_EQ(form.grid->currentIndex().row(), 2);
    form.cds->Close();
    EXPECT_EQ(form.grid->model()->rowCount(), 0);
    EXPECT_FALSE(form.grid->currentIndex().isValid());
}

TEST_F(TDBGridTest, DefaultColoursPaintWhiteCellsUnderOrangeTitles)
{
    form.grid->SetDefaultColors(true);
    form.cds->Last(); // keeps the highlight away from the first row
    QHeaderView *titles = form.grid->horizontalHeader();
    const QImage header = titles->grab().toImage();
    const int x = titles->sectionPosition(0) + titles->sectionSize(0) - 6;
    EXPECT_EQ(QColor(header.pixel(x, header.height() / 2)), QColor(204, 91, 44));
    const QImage cells = form.grid->viewport()->grab().toImage();
    const QRect firstCell = form.grid->visualRect(form.grid->model()->index(0, 2));
    EXPECT_EQ(QColor(cells.pixel(firstCell.center())), QColor(Qt::white));
    EXPECT_FALSE(form.grid->verticalHeader()->isVisible());
}

// The current cell's focus frame is laid from a kept picture and a cell's text from a kept
// layout: the grid must show what the style draws (up to one step of rounding where the frame's
// outline blends over its fill), also in a cell of another width, after the palette changes and
// where a text is too wide for its cell.
TEST_F(TDBGridTest, CellsArePaintedAsTheStylePaintsThem)
{
    const auto maxDifference = [](const QImage &a, const QImage &b) {
        int most = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
                most = std::max({most, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                 std::abs(p.blue() - q.blue())});
            }
        return most;
    };
    const auto withStyleDelegate = [this] {
        QStyledItemDelegate plain;
        QAbstractItemDelegate *own = form.grid->itemDelegate();
        form.grid->setItemDelegate(&plain);
        const QImage image = form.grid->viewport()->grab().toImage();
        form.grid->setItemDelegate(own);
        return image;
    };
    const std::function<void()> steps[] = {
        [] {},
        [this] {
            form.grid->setColumnWidth(1, form.grid->columnWidth(0) + 37);
            QTest::keyClick(form.grid, Qt::Key_Right);
        },
        [this] {
            QPalette palette = form.grid->palette();
            palette.setColor(QPalette::Highlight, QColor(200, 30, 30));
            form.grid->setPalette(palette);
        },
        [this] { // a text wider than its cell, which the style elides
            QFont font = form.grid->font();
            font.setPointSize(font.pointSize() * 2);
            form.grid->setFont(font);
            form.cds->Edit();
            form.cds->FieldByName("VALUE")->SetAsFloat(123456789.25);
            form.cds->Post();
        },
    };
    int step = 0;
    for (const auto &change : steps) {
        SCOPED_TRACE(step++);
        change();
        ASSERT_TRUE(form.grid->hasFocus());
        const QImage ours = form.grid->viewport()->grab().toImage();
        const QImage styles = withStyleDelegate();
        ASSERT_EQ(ours.size(), styles.size());
        EXPECT_LE(maxDifference(ours, styles), 1);
    }
}

} // namespace
