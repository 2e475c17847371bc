#pragma once

#include <QDialog>
#include <QString>

class QAbstractButton;
class QStandardItemModel;

// The second limit of the screen: a bare dialog of the same size whose 22 buttons paint
// themselves (a rounded rectangle and the text, as the keypad's buttons do), a table view on a
// standard item model and two labels, filled through Qt SQL from a connection opened for the call
// with the module's two statements and their bound values. Confirm grabs the dialog once, as a
// receipt would, and accepts.
class PaintedBareDialog : public QDialog
{
public:
    PaintedBareDialog();
    QAbstractButton *Confirm() const { return m_confirm; }
    QStandardItemModel *Model() const { return m_model; }

    // Opens its own connection to the SQLite file, runs both reads and closes it; false with the
    // reason on standard error.
    bool Load(const QString &database);

private:
    QStandardItemModel *m_model = nullptr;
    QAbstractButton *m_confirm = nullptr;
};

bool RunPaintedBareCall(const QString &database); // RunDialogCall<PaintedBareDialog>
