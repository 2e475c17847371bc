#pragma once

#include <QString>
#include <QTableView>
#include <vector>

class TDataSet;
class TField;
class DataSetModel;

// A read-only grid over a data set. Columns are fields (title, width). A touch on a cell moves the
// data set to that row (posting or dropping a pending line by the data set's rule; a refused
// posting keeps the cursor) and selects the column; Up/Down move the data set, Left/Right/Tab move
// the selected column. No editor and no keyboard search. Key-down handlers bound by the screen
// (onKeyDown property) see keys before the grid acts on them.
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

    TField *SelectedField() const; // the field of the selected column, nullptr when none
    QString SelectedFieldName() const;
    void SetSelectedField(TField *field);
    int SelectedIndex() const { return m_selectedColumn; }

    // Colours of cells and titles: white cells with black text, titles in the frame colour with
    // white bold text, as the screen definition sets them.
    void SetDefaultColors(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyboardSearch(const QString &) override {}

private:
    TDataSet *m_dataSet = nullptr;
    DataSetModel *m_model = nullptr;
    std::vector<Column> m_columns;
    int m_selectedColumn = 0;
    int m_keyDownHandler = -1;
};
