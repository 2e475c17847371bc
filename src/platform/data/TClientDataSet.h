#pragma once

#include "DataPacket.h"
#include "TDataSet.h"
#include "Variant.h"

#include <QString>

// An in-memory data set exchanged as data packets. Rows loaded by SetData/LoadFromFile are
// originals; rows posted afterwards are inserts; originals removed by Delete are deletions.
// Data carries that change log. With fields defined beforehand (persistent fields), a packet's
// columns are matched by name and a missing one raises; without, the packet's fields are taken.
class TClientDataSet : public TDataSet
{
    Q_OBJECT

public:
    explicit TClientDataSet(QObject *parent = nullptr);

    // Opens empty with the defined fields (browse state).
    void CreateDataSet();
    // Replaces fields (when none are persistent) and records from a packet, and opens. A Variant
    // that is not a packet raises EDatabaseError.
    void SetData(const Variant &data);
    // The packet of the current content with its change log; raises when inactive.
    Variant Data() const;
    void LoadFromFile(const QString &fileName); // EDatabaseError naming the file when unreadable
    void SaveToFile(const QString &fileName) const;

    // Open without data raises "Missing data provider or data packet" unless already active.
    void Open() override;

    // Fields defined with AddField are persistent: they stay across Close and SetData matches a
    // packet against them. Fields taken from a packet are dynamic and are replaced by the next one.
    bool HasPersistentFields() const;

private:
    // `owned` is the packet itself when its values may be moved out, else null.
    void Load(const DataPacket &packet, DataPacket *owned);
    void TakeFields(const DataPacket &packet);
    std::vector<TRecord> RecordsFrom(const DataPacket &packet, DataPacket *owned) const;

    std::vector<const TField *> m_dynamicFields; // fields taken from the last packet
};
