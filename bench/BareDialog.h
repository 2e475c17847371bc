#pragma once

#include "BenchSupport.h"

#include <QDialog>
#include <QStandardItemModel>
#include <QString>

#include <functional>

class QAbstractButton;
class QTableView;

// What both bare dialogs share, placed as on the screen: a frameless dialog of its size, the title
// and footer labels, and a table view on `model` with the grid's three titled columns.
QTableView *AddBareGrid(QDialog *dialog, QStandardItemModel *model);
// The keypad's 22 buttons as `make` makes them, placed as on the screen; returns Confirm's.
QAbstractButton *AddBareKeys(QDialog *dialog,
                             const std::function<QAbstractButton *(const QString &)> &make);

// One call as a host makes it: the dialog built, loaded, shown modally until the operator's touch
// on Confirm, and freed. True when it was confirmed with the stored lines in its grid.
template <class Dialog> bool RunDialogCall(const QString &database)
{
    bool confirmed = false;
    BenchSupport::RunWhenReady(
        [](QWidget *widget) { return dynamic_cast<Dialog *>(widget) != nullptr; },
        [](QWidget *widget) { BenchSupport::Touch(static_cast<Dialog *>(widget)->Confirm()); },
        [&] {
            Dialog dialog;
            if (!dialog.Load(database))
                return;
            confirmed = dialog.exec() == QDialog::Accepted &&
                        dialog.Model()->rowCount() == BenchSupport::StoredLines;
        });
    return confirmed;
}

// The least a tax screen could be: a frameless dialog of the same size with the same widgets made
// in code (a frame, two labels, a grid of three columns, 22 buttons with their texts), filled
// from SQLite through sqlite3's C interface with the same two queries the module runs.
class BareDialog : public QDialog
{
public:
    BareDialog();
    QAbstractButton *Confirm() const { return m_confirm; }
    QTableView *Grid() const { return m_grid; }
    QStandardItemModel *Model() const { return m_model; }

    // Opens the file, runs the stored-lines query for the benchmark's Z reduction into the grid
    // and the code query for its first line; false with the reason on standard error.
    bool Load(const QString &database);

private:
    QTableView *m_grid = nullptr;
    QStandardItemModel *m_model = nullptr;
    QAbstractButton *m_confirm = nullptr;
};

bool RunBareCall(const QString &database); // RunDialogCall<BareDialog>
