#pragma once

#include "TForm.h"

#include <QStringList>
#include <functional>

class QLineEdit;
class QPushButton;
class TClientDataSet;
class TDataSet;
class TDBGrid;

// A small screen like the real one: a grid over a client data set, a default push button and a
// line edit, with handlers bound by name that record what they saw.
class TestForm : public TForm
{
    Q_OBJECT

public:
    struct Options {
        QString clickHandler = QStringLiteral("ButtonClick");
        QString gridKeyDownHandler = QStringLiteral("GridKeyDown");
    };

    TestForm();
    explicit TestForm(const Options &options);
    ~TestForm() override;

    // Appends rows (code, rate) in this order; leaves the cursor on the first row.
    void AddRows(const QList<QPair<QString, double>> &rows);
    // Shows and activates the form with the focus on the grid; false when that failed.
    bool ActivateAndFocusGrid();

    TDBGrid *grid = nullptr;
    TClientDataSet *cds = nullptr;
    QPushButton *button = nullptr;
    QPushButton *otherButton = nullptr;
    QLineEdit *edit = nullptr;

    QStringList log; // "down 73 2", "press 13", "grid 28 0", "click button", ...
    int activations = 0;
    int creations = 0;
    bool zeroAltF4 = true;          // FormKeyDown's filter
    bool zeroCtrlDownInGrid = true; // GridKeyDown's filter
    bool refusePost = false;
    bool failKeyDown = false;      // FormKeyDown raises an error
    std::function<void()> onClick; // extra work of the click handler

    Q_INVOKABLE void FormCreate(QObject *Sender);
    Q_INVOKABLE void FormActivate(QObject *Sender);
    Q_INVOKABLE void FormKeyDown(QObject *Sender, Word &Key, TShiftState Shift);
    Q_INVOKABLE void FormKeyPress(QObject *Sender, QChar &Key);
    Q_INVOKABLE void GridKeyDown(QObject *Sender, Word &Key, TShiftState Shift);
    Q_INVOKABLE void ButtonClick(QObject *Sender);
    Q_INVOKABLE void DataBeforeInsert(TDataSet *DataSet);
    Q_INVOKABLE void DataBeforePost(TDataSet *DataSet);
};
