#pragma once

#include "TDataSet.h"

#include <QPointer>
#include <QString>
#include <QTableView>
#include <vector>

class TDataSet;
class TField;
class DataSetModel;
class TDBGridTitles;

// A read-only grid over a data set. Columns are fields (title, width). A touch on a cell moves the
// data set to that row (posting or dropping a pending line by the data set's rule; a refused
// posting keeps the cursor) and selects the column; Up/Down move the data set, Left/Right/Tab move
// the selected column. No editor, no keyboard search, no delete: every other key is left to the
// form. A key-down handler named by the grid's onKeyDown property (a method of the grid's window,
// void h(QObject *Sender, Word &Key, TShiftState Shift)) sees keys before the grid acts on them;
// setting Key to 0 discards the key.
class TDBGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QString selectedField READ SelectedFieldName)

public:
    struct Column {
        QString fieldName;
        QString title;
        int width = 64;
    };

    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    // Binds the grid to a data set (and the data set's FocusControl to the grid).
    void SetDataSet(TDataSet *dataSet);
    TDataSet *DataSet() const { return m_dataSet; }
    void SetColumns(std::vector<Column> columns);
    const std::vector<Column> &Columns() const { return m_columns; }
    int ColumnOfField(const QString &fieldName) const; // -1 when no column shows the field

    TField *SelectedField() const; // the field of the selected column, nullptr when none
    QString SelectedFieldName() const;
    void SetSelectedField(TField *field);
    int SelectedIndex() const { return m_selectedColumn; }
    void SetSelectedIndex(int column);

    // Colours of cells and titles: white cells with black text, titles in the frame colour with
    // white bold text, as the screen definition sets them.
    void SetDefaultColors(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;
    void keyboardSearch(const QString &) override {}

private:
    bool RunKeyDownHandler(QKeyEvent *event); // true when the key is discarded
    void MoveRecord(bool forward);
    void TouchCell(const QPoint &viewportPos);
    void SyncCurrentCell();
    void UpdateRowHeight();

    QPointer<TDataSet> m_dataSet;
    DataSetModel *m_model = nullptr;
    TDBGridTitles *m_titles = nullptr;
    std::vector<Column> m_columns;
    int m_selectedColumn = 0;
};
