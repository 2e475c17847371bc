#pragma once

#include <QDialog>
#include <QString>

class QPushButton;
class QStandardItemModel;
class QTableView;

// The least a tax screen could be: a frameless dialog of the same size with the same widgets made
// in code (a frame, two labels, a grid of three columns, 22 buttons with their texts), filled
// from SQLite through sqlite3's C interface with the same two queries the module runs.
class BareDialog : public QDialog
{
public:
    BareDialog();
    QPushButton *Confirm() const { return m_confirm; }
    QTableView *Grid() const { return m_grid; }
    QStandardItemModel *Model() const { return m_model; }

    // Opens the file, runs the stored-lines query for the benchmark's Z reduction into the grid
    // and the code query for its first line; false with the reason on standard error.
    bool Load(const QString &database);

private:
    QTableView *m_grid = nullptr;
    QStandardItemModel *m_model = nullptr;
    QPushButton *m_confirm = nullptr;
};

// One call as a host makes it: the dialog built, loaded, shown modally until the operator's
// touch on Confirm, and freed. True when it was confirmed with the stored lines in its grid.
bool RunBareCall(const QString &database);
