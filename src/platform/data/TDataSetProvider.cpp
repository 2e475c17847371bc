#include "TDataSetProvider.h"

#include "DataPacket.h"
#include "Exceptions.h"
#include "TDataSet.h"

TDataSetProvider::TDataSetProvider(QObject *parent) : QObject(parent) {}

Variant TDataSetProvider::Data() const
{
    if (!m_dataSet)
        throw EDatabaseError(
            QStringLiteral("%1: o provedor não tem conjunto de dados").arg(objectName()));
    if (!m_dataSet->Active())
        throw EDatabaseError(QStringLiteral("%1: o conjunto de dados %2 está fechado")
                                 .arg(objectName(), m_dataSet->objectName()));
    // Constraints only matter when a packet's changes are applied back, which this module never
    // does.
    return Variant::fromPacket(m_dataSet->ToPacket());
}
