#include "TDataSet.h"

#include "Exceptions.h"
#include "SysUtils.h"

#include <algorithm>

namespace
{

const char *const NotEditing = "Conjunto de dados não está em modo de edição ou inserção";

// Clears a flag however the scope ends.
struct FlagGuard {
    bool &flag;
    explicit FlagGuard(bool &f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

} // namespace

TDataSet::TDataSet(QObject *parent) : QObject(parent) {}

TDataSet::~TDataSet() = default;

TField *TDataSet::AddField(const QString &name, TFieldType type, int size)
{
    CheckInactive();
    if (name.isEmpty())
        throw EDatabaseError(QStringLiteral("Nome de campo vazio"));
    const QString folded = name.toCaseFolded();
    if (m_fieldByFoldedName.contains(folded))
        throw EDatabaseError(QStringLiteral("Nome de campo duplicado '%1'").arg(name));
    m_fieldByFoldedName.insert(folded, int(m_fields.size()));
    m_fields.push_back(std::make_unique<TField>(this, name, type, size));
    emit layoutChanged();
    return m_fields.back().get();
}

void TDataSet::ClearFields()
{
    CheckInactive();
    m_fields.clear();
    m_fieldByFoldedName.clear();
    emit layoutChanged();
}

TField *TDataSet::FindField(const QString &name) const
{
    // A few fields are compared in place: cheaper than folding the name for the index.
    if (m_fields.size() > 16) {
        const int index = m_fieldByFoldedName.value(name.toCaseFolded(), -1);
        return index < 0 ? nullptr : m_fields[size_t(index)].get();
    }
    for (const auto &field : m_fields)
        if (SameText(field->FieldName(), name))
            return field.get();
    return nullptr;
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado").arg(name));
    return field;
}

void TDataSet::Open()
{
    if (Active())
        return;
    ResetStore(std::move(m_store), dsBrowse);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    m_store.clear();
    m_visible.clear();
    m_current = -1;
    m_modifiedSinceInsert = false;
    m_bof = m_eof = true;
    SetState(dsInactive);
    emit layoutChanged();
    emit currentChanged(-1);
}

void TDataSet::First()
{
    MoveBy(Move::First);
}

void TDataSet::Prior()
{
    MoveBy(Move::Prior);
}

void TDataSet::Next()
{
    MoveBy(Move::Next);
}

void TDataSet::Last()
{
    MoveBy(Move::Last);
}

void TDataSet::MoveBy(Move move)
{
    CheckActive();
    EndPending();
    const int count = int(m_visible.size());
    switch (move) {
    case Move::First:
        MoveTo(count > 0 ? 0 : -1);
        m_bof = true;
        m_eof = count == 0;
        break;
    case Move::Prior:
        if (m_current > 0) {
            MoveTo(m_current - 1);
            m_bof = m_eof = false;
        } else {
            m_bof = true;
        }
        break;
    case Move::Next:
        if (m_current < count - 1) {
            MoveTo(m_current + 1);
            m_bof = m_eof = false;
        } else {
            m_eof = true;
        }
        break;
    case Move::Last:
        MoveTo(count - 1);
        m_eof = true;
        m_bof = count == 0;
        break;
    }
}

void TDataSet::MoveToRow(int row)
{
    CheckActive();
    if (row == m_current || row < 0 || row >= RecordCount())
        return;
    // The row was counted with the pending line; dropping that line shifts the rows below it.
    int target = VisibleToStore(row);
    const int pending = m_state == dsInsert ? VisibleToStore(m_current) : -1;
    const size_t before = m_store.size();
    EndPending();
    if (m_store.size() < before && pending < target)
        --target;
    MoveTo(StoreToVisible(target));
    m_bof = m_eof = false;
}

void TDataSet::Insert()
{
    CheckActive();
    EndPending();
    if (BeforeInsert)
        BeforeInsert(this);
    CheckActive(); // the hook may have closed the data set
    EndPending();
    const int storePos = m_current >= 0 ? VisibleToStore(m_current) : int(m_store.size());
    TRecord record;
    record.values.resize(m_fields.size());
    record.origin = TRecordOrigin::Inserted;
    m_store.insert(m_store.begin() + storePos, std::move(record));
    RebuildVisible();
    m_current = StoreToVisible(storePos);
    m_modifiedSinceInsert = false;
    m_bof = m_eof = false;
    SetState(dsInsert);
    emit layoutChanged();
    emit currentChanged(m_current);
}

void TDataSet::Edit()
{
    CheckActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (m_visible.empty()) {
        Insert();
        return;
    }
    m_editBackup = m_store[VisibleToStore(m_current)];
    m_modifiedSinceInsert = false;
    SetState(dsEdit);
}

void TDataSet::RunBeforePost()
{
    if (m_inBeforePost)
        throw EDatabaseError(
            QStringLiteral("Operação não permitida durante a gravação de um registro"));
    if (BeforePost) {
        FlagGuard guard(m_inBeforePost);
        BeforePost(this);
    }
}

void TDataSet::Post()
{
    if (m_state != dsInsert && m_state != dsEdit)
        return;
    RunBeforePost();
    if (m_state != dsInsert && m_state != dsEdit)
        return; // the hook ended the line itself
    TRecord &record = m_store[VisibleToStore(m_current)];
    if (m_state == dsInsert) {
        record.changeOrder = ++m_changeCounter;
    } else if (m_modifiedSinceInsert && record.origin == TRecordOrigin::Original &&
               !record.modified) {
        record.modified = true;
        record.oldValues = m_editBackup.values;
        record.changeOrder = ++m_changeCounter;
    }
    m_modifiedSinceInsert = false;
    SetState(dsBrowse);
    emit rowChanged(m_current);
}

void TDataSet::Cancel()
{
    if (m_state == dsInsert) {
        DropPendingInsert();
    } else if (m_state == dsEdit) {
        m_store[VisibleToStore(m_current)] = m_editBackup;
        m_modifiedSinceInsert = false;
        SetState(dsBrowse);
        emit rowChanged(m_current);
    }
}

void TDataSet::Delete()
{
    CheckActive();
    if (m_state == dsInsert) {
        DropPendingInsert();
        return;
    }
    Cancel();
    if (m_visible.empty())
        throw EDatabaseError(
            QStringLiteral("Operação não permitida em um conjunto de dados vazio"));
    const int storeIndex = VisibleToStore(m_current);
    TRecord &record = m_store[storeIndex];
    if (record.origin == TRecordOrigin::Inserted) {
        m_store.erase(m_store.begin() + storeIndex); // leaves no trace in the change log
    } else {
        if (record.modified) { // a deletion names the row as it was loaded
            record.values = record.oldValues;
            record.oldValues.clear();
            record.modified = false;
        }
        record.deleted = true;
        record.changeOrder = ++m_changeCounter;
    }
    RebuildVisible();
    m_current = std::min(m_current, int(m_visible.size()) - 1);
    m_bof = m_eof = m_visible.empty();
    emit layoutChanged();
    emit currentChanged(m_current);
}

void TDataSet::EndPending()
{
    if (m_state == dsInsert) {
        if (m_modifiedSinceInsert)
            Post();
        else
            DropPendingInsert();
    } else if (m_state == dsEdit) {
        if (m_modifiedSinceInsert)
            Post();
        else
            Cancel();
    }
}

void TDataSet::DropPendingInsert()
{
    if (m_inBeforePost)
        throw EDatabaseError(
            QStringLiteral("Operação não permitida durante a gravação de um registro"));
    m_store.erase(m_store.begin() + VisibleToStore(m_current));
    RebuildVisible();
    // The record that stood below the dropped line takes its place.
    m_current = std::min(m_current, int(m_visible.size()) - 1);
    m_modifiedSinceInsert = false;
    SetState(dsBrowse);
    emit layoutChanged();
    emit currentChanged(m_current);
}

int TDataSet::RecordCount() const
{
    return int(m_visible.size());
}

int TDataSet::RecNo() const
{
    return Active() && m_current >= 0 ? m_current + 1 : 0;
}

const TRecord &TDataSet::RowAt(int row) const
{
    if (row < 0 || row >= int(m_visible.size()))
        throw EDatabaseError(QStringLiteral("Linha %1 fora do conjunto de dados").arg(row));
    return m_store[m_visible[row]];
}

QVariant TDataSet::RowValue(int row, int fieldIndex) const
{
    if (row < 0 || row >= int(m_visible.size()))
        return QVariant();
    const TRecord &record = m_store[m_visible[row]];
    if (fieldIndex < 0 || fieldIndex >= int(record.values.size()))
        return QVariant();
    return record.values[fieldIndex];
}

QVariant TDataSet::CurrentValue(int fieldIndex) const
{
    return Active() ? RowValue(m_current, fieldIndex) : QVariant();
}

void TDataSet::CheckEditing() const
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw EDatabaseError(QString::fromUtf8(NotEditing));
}

void TDataSet::SetCurrentValue(int fieldIndex, const QVariant &value)
{
    CheckEditing();
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        throw EDatabaseError(QStringLiteral("Campo de índice %1 inexistente").arg(fieldIndex));
    TRecord &record = m_store[VisibleToStore(m_current)];
    record.values.resize(m_fields.size());
    QVariant &stored = record.values[fieldIndex];
    const bool changed = stored.typeId() != value.typeId() || stored != value;
    stored = value;
    m_modifiedSinceInsert = true; // a write counts even when the value is the same
    if (changed)                  // only views listen, and they have nothing to redraw
        emit rowChanged(m_current);
}

std::vector<TRecord> TDataSet::PostedStore() const
{
    std::vector<TRecord> records = m_store;
    if (m_state == dsInsert)
        records.erase(records.begin() + VisibleToStore(m_current));
    else if (m_state == dsEdit)
        records[VisibleToStore(m_current)] = m_editBackup;
    return records;
}

void TDataSet::ResetStore(std::vector<TRecord> records, TDataSetState state)
{
    m_changeCounter = 0;
    for (TRecord &record : records) {
        record.values.resize(m_fields.size());
        m_changeCounter = std::max(m_changeCounter, record.changeOrder);
    }
    m_store = std::move(records);
    RebuildVisible();
    m_current = m_visible.empty() ? -1 : 0;
    m_modifiedSinceInsert = false;
    m_bof = true;
    m_eof = m_visible.empty();
    SetState(state);
    emit layoutChanged();
    emit currentChanged(m_current);
}

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(
            QStringLiteral("Operação não permitida em um conjunto de dados fechado"));
}

void TDataSet::CheckInactive() const
{
    if (Active())
        throw EDatabaseError(
            QStringLiteral("Operação não permitida em um conjunto de dados aberto"));
}

int TDataSet::VisibleToStore(int row) const
{
    return m_visible.at(size_t(row));
}

int TDataSet::StoreToVisible(int storeIndex) const
{
    const auto it = std::find(m_visible.begin(), m_visible.end(), storeIndex);
    return it == m_visible.end() ? -1 : int(it - m_visible.begin());
}

void TDataSet::RebuildVisible()
{
    m_visible.clear();
    for (size_t i = 0; i < m_store.size(); ++i)
        if (!m_store[i].deleted)
            m_visible.push_back(int(i));
}

void TDataSet::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

void TDataSet::MoveTo(int row)
{
    m_current = row;
    emit currentChanged(row);
}
