#pragma once

#include "Variant.h"

#include <QObject>

class TDataSet;

// Hands the rows of an open data set, with its field descriptions, out as one data packet.
class TDataSetProvider : public QObject
{
    Q_OBJECT

public:
    explicit TDataSetProvider(QObject *parent = nullptr);

    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet) { m_dataSet = dataSet; }
    bool Constraints() const { return m_constraints; }
    void SetConstraints(bool on) { m_constraints = on; }

    Variant Data() const; // every record as an unchanged original; raises when inactive

private:
    TDataSet *m_dataSet = nullptr;
    bool m_constraints = true;
};
