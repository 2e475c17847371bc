#pragma once

#include "TDataSet.h"
#include "TParameters.h"

#include <QStringList>

class TADOConnection;

// A read-only query: SQL lines with named placeholders (:P_NAME) bound from Parameters, prepared
// once per SQL text. Open fetches every row into the data set's records; numeric columns arrive
// as floats (EnableBCD off). Field definitions may be given beforehand (persistent fields, as the
// data-module definition declares them); otherwise they are taken from the result.
class TADOQuery : public TDataSet
{
    Q_OBJECT

public:
    explicit TADOQuery(QObject *parent = nullptr);

    TADOConnection *Connection() const { return m_connection; }
    void SetConnection(TADOConnection *connection) { m_connection = connection; }
    QStringList &SQL() { return m_sql; }
    const QStringList &SQL() const { return m_sql; }
    TParameters &Parameters() { return m_parameters; }
    bool EnableBCD() const { return m_enableBCD; }
    void SetEnableBCD(bool on) { m_enableBCD = on; }

    void Open() override; // raises EDatabaseError with the driver's text
    void Close() override;

private:
    TADOConnection *m_connection = nullptr;
    QStringList m_sql;
    TParameters m_parameters;
    bool m_enableBCD = true;
};
