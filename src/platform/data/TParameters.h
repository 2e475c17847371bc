#pragma once

#include "DateTime.h"

#include <QString>
#include <QVariant>
#include <vector>

enum class TParamDataType { ftString, ftDate, ftDateTime, ftFloat, ftInteger };

// One query parameter: declared type and size, and the value assigned at run time. The declared
// type and size describe the parameter; the value is bound as assigned (a text is never cut to the
// size, so that a longer value cannot match a shorter stored one).
class TParameter
{
public:
    TParameter(QString name, TParamDataType dataType, int size)
        : m_name(std::move(name)), m_dataType(dataType), m_size(size)
    {
    }

    const QString &Name() const { return m_name; }
    TParamDataType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    const QVariant &Value() const { return m_value; } // invalid = null

    void SetAsString(const QString &text) { m_value = text; }
    // Binds a date without time of day: the server compares it as a date.
    void SetAsDate(TDateTime value);
    void Clear() { m_value = QVariant(); }

private:
    QString m_name;
    TParamDataType m_dataType;
    int m_size;
    QVariant m_value;
};

class TParameters
{
public:
    TParameter &Add(const QString &name, TParamDataType dataType, int size);
    TParameter &ParamByName(const QString &name); // EDatabaseError when absent
    TParameter *Find(const QString &name);        // nullptr when absent (case-insensitive)
    int Count() const { return int(m_params.size()); }
    TParameter &operator[](int index) { return m_params[index]; }
    const TParameter &operator[](int index) const { return m_params[index]; }

private:
    std::vector<TParameter> m_params;
};
