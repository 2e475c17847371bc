#include "TParameters.h"

#include "Exceptions.h"
#include "SysUtils.h"

#include <cmath>

void TParameter::SetAsDate(TDateTime value)
{
    // The day only: the server compares it with stored dates, whatever the time of day.
    const QDate date = std::isfinite(value) ? DateTimeToQDate(value) : QDate();
    if (!date.isValid())
        throw EDatabaseError(
            QStringLiteral("Parâmetro %1: data inválida (%2)").arg(m_name).arg(value));
    m_value = date;
}

TParameter &TParameters::Add(const QString &name, TParamDataType dataType, int size)
{
    if (Find(name))
        throw EDatabaseError(QStringLiteral("Parâmetro '%1' declarado duas vezes").arg(name));
    return m_params.emplace_back(name, dataType, size);
}

TParameter *TParameters::Find(const QString &name)
{
    for (TParameter &param : m_params) // names are nearly always given as declared
        if (param.Name() == name)
            return &param;
    for (TParameter &param : m_params)
        if (SameText(param.Name(), name))
            return &param;
    return nullptr;
}

TParameter &TParameters::ParamByName(const QString &name)
{
    if (TParameter *param = Find(name))
        return *param;
    throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado").arg(name));
}
