#include "DataSetModel.h"

#include "SysUtils.h"
#include "TDataSet.h"

DataSetModel::DataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

void DataSetModel::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    beginResetModel();
    m_dataSet = dataSet;
    m_active = dataSet && dataSet->Active();
    m_rowCount = CurrentRowCount();
    endResetModel();
    if (!dataSet)
        return;
    connect(dataSet, &TDataSet::layoutChanged, this, &DataSetModel::Reset);
    connect(dataSet, &TDataSet::rowChanged, this, &DataSetModel::OnRowChanged);
    connect(dataSet, &TDataSet::stateChanged, this, &DataSetModel::OnStateChanged);
    connect(dataSet, &QObject::destroyed, this, &DataSetModel::Reset);
}

void DataSetModel::SetColumns(const QStringList &fieldNames, const QStringList &titles)
{
    beginResetModel();
    m_fieldNames = fieldNames;
    m_titles = titles;
    endResetModel();
}

int DataSetModel::ColumnOf(const QString &fieldName) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (SameText(m_fieldNames.at(i), fieldName))
            return i;
    return -1;
}

TField *DataSetModel::FieldAt(int column) const
{
    if (!m_dataSet || column < 0 || column >= m_fieldNames.size())
        return nullptr;
    return m_dataSet->FindField(m_fieldNames.at(column));
}

int DataSetModel::CurrentRowCount() const
{
    return (m_dataSet && m_dataSet->Active()) ? m_dataSet->RecordCount() : 0;
}

void DataSetModel::Reset()
{
    beginResetModel();
    m_active = m_dataSet && m_dataSet->Active();
    m_rowCount = CurrentRowCount();
    endResetModel();
}

void DataSetModel::OnRowChanged(int row)
{
    if (CurrentRowCount() != m_rowCount) {
        Reset(); // rows came or went without a layout signal yet
        return;
    }
    if (row < 0 || row >= m_rowCount || m_fieldNames.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, int(m_fieldNames.size()) - 1), {Qt::DisplayRole});
}

// Only opening and closing change what is shown; edit and insert states come with their own
// row signals.
void DataSetModel::OnStateChanged()
{
    const bool active = m_dataSet && m_dataSet->Active();
    if (active != m_active || CurrentRowCount() != m_rowCount)
        Reset();
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fieldNames.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    // Views ask for every role of every cell they paint; only two have answers here.
    if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole)
        return {};
    if (!index.isValid() || !m_dataSet || index.row() >= CurrentRowCount())
        return {};
    const TField *field = FieldAt(index.column());
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return TField::Text(m_dataSet->RowValue(index.row(), field->Index()), field->DataType());
    case Qt::TextAlignmentRole: {
        const bool numeric =
            field->DataType() == TFieldType::ftFloat || field->DataType() == TFieldType::ftInteger;
        return int((numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_fieldNames.size())
        return {};
    if (section < m_titles.size() && !m_titles.at(section).isEmpty())
        return m_titles.at(section);
    const TField *field = FieldAt(section);
    return field ? field->DisplayLabel() : m_fieldNames.at(section);
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
