#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class TDataSet;
class TField;

// The grid's read-only view of a data set: one row per visible record (a pending insertion
// included), one column per field name given, the cell text being the field's text of that row (as
// AsString shows it). It follows the data set's signals: a changed value repaints its row only;
// added or removed rows and opening or closing reset the model.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetModel(QObject *parent = nullptr);

    void SetDataSet(TDataSet *dataSet);
    TDataSet *DataSet() const { return m_dataSet; }
    // Columns by field name; a name the data set does not have shows empty cells.
    void SetColumns(const QStringList &fieldNames, const QStringList &titles);
    const QStringList &FieldNames() const { return m_fieldNames; }
    int ColumnOf(const QString &fieldName) const; // case-insensitive; -1 when not shown
    TField *FieldAt(int column) const;            // nullptr when the data set has no such field

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void Reset();
    void OnRowChanged(int row);
    void OnStateChanged();
    int CurrentRowCount() const;

    QPointer<TDataSet> m_dataSet;
    QStringList m_fieldNames;
    QStringList m_titles;
    int m_rowCount = 0; // as last announced to views
    bool m_active = false;
};
