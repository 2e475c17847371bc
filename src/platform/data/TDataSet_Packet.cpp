#include "DataPacket.h"
#include "TDataSet.h"

// A modified original travels as the original (1) followed by its new version (8); a deleted one
// stays with its values (2); posted insertions are 4.
DataPacket TDataSet::ToPacket() const
{
    DataPacket packet;
    for (const auto &field : m_fields)
        packet.fields.push_back({field->FieldName(), field->DataType(), field->Size()});
    for (const TRecord &record : PostedStore()) {
        if (record.modified && !record.deleted) {
            packet.rows.push_back({record.oldValues, 1, -1, 0});
            const int original = int(packet.rows.size()) - 1;
            packet.rows.push_back({record.values, 8, original, record.changeOrder});
            continue;
        }
        const int state = record.deleted ? 2 : record.origin == TRecordOrigin::Inserted ? 4 : 0;
        packet.rows.push_back({record.values, state, -1, state ? record.changeOrder : 0});
    }
    return packet;
}
