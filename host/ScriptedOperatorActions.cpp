#include "ScriptedOperator.h"

#include "HostOutput.h"
#include "StateDump.h"
#include "TDBGrid.h"
#include "TDataSet.h" // complete type for TDBGrid::DataSet()

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <memory>

bool ScriptedOperator::Play(const ScriptCommand &command, QString *error)
{
    using Kind = ScriptCommand::Kind;
    switch (command.kind) {
    case Kind::Click:
        return Click(command.argument, error);
    case Kind::Key:
    case Kind::Type:
        return Keys(command.keys, error);
    case Kind::Select:
        return Select(command.row, command.argument, error);
    case Kind::Dump:
        return Dump(error);
    case Kind::Screenshot:
        return Screenshot(command.argument, error);
    case Kind::Reactivate:
        return Reactivate(error);
    case Kind::Close:
        m_screen->close(); // as the window system asks; the screen may refuse
        return true;
    case Kind::Wait:
        return true; // the next command is scheduled that much later
    }
    return true;
}

// A press and release at the control's centre: its click runs as on a touch. A click that opens
// a message box returns when the box has been acknowledged.
bool ScriptedOperator::Click(const QString &name, QString *error)
{
    auto *control = m_screen->findChild<QWidget *>(name);
    if (!control) {
        *error = QStringLiteral("no control named '%1' on the screen").arg(name);
        return false;
    }
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    return true;
}

// Keys go to the focused control, so the screen's key preview sees them first.
bool ScriptedOperator::Keys(const std::vector<ScriptKey> &keys, QString *error)
{
    for (const ScriptKey &key : keys) {
        if (!m_screen || !m_screen->isVisible()) {
            *error = QStringLiteral("the screen closed before every key was pressed");
            return false;
        }
        QWidget *target = QApplication::focusWidget();
        if (!target || (target != m_screen && !m_screen->isAncestorOf(target)))
            target = m_screen;
        QTest::sendKeyEvent(QTest::Click, target, key.key, key.text, key.modifiers);
    }
    return true;
}

// A touch on the grid cell of that row in the column that shows the field.
bool ScriptedOperator::Select(int row, const QString &field, QString *error)
{
    auto *grid = m_screen->findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
    if (!grid)
        grid = m_screen->findChild<TDBGrid *>();
    if (!grid) {
        *error = QStringLiteral("the screen has no grid");
        return false;
    }
    const int column = grid->ColumnOfField(field);
    if (column < 0) {
        *error = QStringLiteral("the grid shows no column for the field '%1'").arg(field);
        return false;
    }
    const int rows = grid->model() ? grid->model()->rowCount() : 0;
    if (row >= rows) {
        *error =
            QStringLiteral("row %1 is not in the grid, which shows %2 rows").arg(row).arg(rows);
        return false;
    }
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QRect cell = grid->visualRect(index);
    // Aim at the part of the cell that is really visible (the panel cuts the grid's edges).
    const QRect visible = cell.intersected(grid->viewport()->visibleRegion().boundingRect());
    if (!visible.isEmpty())
        cell = visible;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    return true;
}

bool ScriptedOperator::Dump(QString *)
{
    HostOutput::Line("STATE", StateDump::ScreenState(m_screen));
    return true;
}

bool ScriptedOperator::Screenshot(const QString &fileName, QString *error)
{
    if (!m_screen->grab().save(fileName)) {
        *error = QStringLiteral("cannot write the screenshot %1").arg(fileName);
        return false;
    }
    return true;
}

// Another window takes the activation and gives it back, as when the operator switches to
// another program and returns.
bool ScriptedOperator::Reactivate(QString *error)
{
    auto other = std::make_unique<QWidget>();
    other->setWindowTitle(QStringLiteral("kpfhost"));
    // Modal, so that the screen's modality does not keep it from being activated.
    other->setWindowModality(Qt::ApplicationModal);
    other->resize(160, 60);
    other->show();
    other->activateWindow();
    ProcessEventsUntil([&] { return other->isActiveWindow(); }, 2000);
    const bool tookIt = other->isActiveWindow();
    other->close();
    other.reset();
    if (m_screen) {
        m_screen->activateWindow();
        ProcessEventsUntil([&] { return !m_screen || m_screen->isActiveWindow(); }, 2000);
    }
    if (!tookIt) {
        *error = QStringLiteral("the other window did not get the activation");
        return false;
    }
    return true;
}

void ScriptedOperator::ProcessEventsUntil(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}
