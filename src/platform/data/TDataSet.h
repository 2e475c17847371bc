#pragma once

#include "TField.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class DataPacket;

enum TDataSetState { dsInactive = 0, dsBrowse = 1, dsEdit = 2, dsInsert = 3 };

// How a record came to be, for the change log that Data() carries.
enum class TRecordOrigin { Original, Inserted };

// One row of a data set. Deleted originals stay in the store (flagged) so that a packet can name
// them.
struct TRecord {
    std::vector<QVariant> values;
    TRecordOrigin origin = TRecordOrigin::Original;
    bool deleted = false;
    bool modified = false;           // an original changed by Edit/Post
    std::vector<QVariant> oldValues; // its values as loaded, when modified
    quint64 changeOrder = 0;         // when it entered the change log (0: unchanged)
};

// An in-memory list of records with a cursor and the platform's editing rules:
// - writes are allowed only in the edit and insert states (otherwise "not in edit or insert mode");
// - First/Prior/Next/Last/MoveToRow/Insert end a pending insertion first: it is posted when any
//   field was written since it was started (BeforePost runs) and dropped otherwise; a hook that
//   raises stops the whole operation and leaves the line pending; a pending edit is posted when
//   written and cancelled otherwise;
// - Insert runs BeforeInsert, then places an empty record before the current one (state 3);
// - Delete drops a pending insertion (no hook) or removes the current record; on an empty data set
//   it raises the empty-data-set EDatabaseError;
// - strings are cut to their field size.
// Exceptions of hooks reach the caller of the operation.
class TDataSet : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int State READ State NOTIFY stateChanged)

public:
    explicit TDataSet(QObject *parent = nullptr);
    ~TDataSet() override;

    // Field definitions. Adding or clearing fields requires the inactive state.
    TField *AddField(const QString &name, TFieldType type, int size = 0);
    void ClearFields();
    const std::vector<std::unique_ptr<TField>> &Fields() const { return m_fields; }
    int FieldCount() const { return int(m_fields.size()); }
    TField *FindField(const QString &name) const;   // nullptr when absent (case-insensitive)
    TField *FieldByName(const QString &name) const; // EDatabaseError "Campo 'X' não encontrado"

    TDataSetState State() const { return m_state; }
    bool Active() const { return m_state != dsInactive; }
    virtual void Open();  // from inactive to browse; no effect when active
    virtual void Close(); // drops a pending line; back to inactive, records cleared
    void SetActive(bool active) { active ? Open() : Close(); }

    void First();
    void Prior();
    void Next();
    void Last();
    void Insert();
    void Edit(); // on an empty data set it inserts, as the platform does
    void Post(); // in browse state nothing happens
    void Cancel();
    void Delete();
    // Moves to the visible record at the 0-based row (the grid's touch); same posting rule as Next.
    // The row counts the pending line; a touch on the current row changes nothing.
    void MoveToRow(int row);

    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const; // visible records, a pending insertion included
    int RecNo() const;       // 1-based position of the current record; 0 when none
    int CurrentRow() const { return RecNo() - 1; }
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    // Whether a field was written since Insert or Edit.
    bool Modified() const { return m_modifiedSinceInsert; }

    // The visible records, top to bottom, a pending insertion included.
    const TRecord &RowAt(int row) const;              // EDatabaseError when out of range
    QVariant RowValue(int row, int fieldIndex) const; // invalid QVariant when out of range

    // Hooks run before the operation; raising cancels it.
    std::function<void(TDataSet *)> BeforeInsert;
    std::function<void(TDataSet *)> BeforePost;

    // Bound data-aware control: FocusControl asks it to select a field's column and take focus.
    std::function<void(TField *)> OnFocusControl;

    // For TField.
    QVariant CurrentValue(int fieldIndex) const;
    void SetCurrentValue(int fieldIndex, const QVariant &value);
    void CheckEditing() const; // the not-editing EDatabaseError outside edit and insert

    // The whole store, deleted originals included, in stored order (for packets).
    const std::vector<TRecord> &Store() const { return m_store; }
    // The store as posted: without a pending insertion, and with a record being edited as it was
    // before Edit.
    std::vector<TRecord> PostedStore() const;
    // The data set as a packet: its fields and its posted store with the change log.
    DataPacket ToPacket() const;

signals:
    void stateChanged();
    void layoutChanged();         // rows added, removed or replaced
    void rowChanged(int row);     // values of a visible row changed
    void currentChanged(int row); // the cursor moved (-1 when none)

protected:
    // For subclasses that fill the store (client data sets, queries).
    void ResetStore(std::vector<TRecord> records, TDataSetState state = dsBrowse);
    std::vector<TRecord> &MutableStore() { return m_store; }
    void CheckActive() const;   // the closed-data-set EDatabaseError when inactive
    void CheckInactive() const; // the open-data-set EDatabaseError when active

private:
    enum class Move { First, Prior, Next, Last };
    void MoveBy(Move move);
    void EndPending(); // posts or drops a pending insertion or edit; raises when refused
    void DropPendingInsert();
    int VisibleToStore(int row) const;
    int StoreToVisible(int storeIndex) const;
    void RebuildVisible();
    void SetState(TDataSetState state);
    void MoveTo(int row);
    void RunBeforePost();

    std::vector<std::unique_ptr<TField>> m_fields;
    QHash<QString, int> m_fieldByFoldedName; // so that a packet of many fields loads in linear time
    std::vector<TRecord> m_store;
    std::vector<int> m_visible; // store indices of the visible records
    int m_current = -1;         // visible row of the cursor
    TDataSetState m_state = dsInactive;
    bool m_modifiedSinceInsert = false;
    TRecord m_editBackup;
    bool m_bof = true;
    bool m_eof = true;
    bool m_inBeforePost = false;
    quint64 m_changeCounter = 0;
};
