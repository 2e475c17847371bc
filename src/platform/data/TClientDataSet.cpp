#include "TClientDataSet.h"

#include "Exceptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <unordered_set>

TClientDataSet::TClientDataSet(QObject *parent) : TDataSet(parent) {}

bool TClientDataSet::HasPersistentFields() const
{
    const std::unordered_set<const TField *> dynamic(m_dynamicFields.begin(),
                                                     m_dynamicFields.end());
    return std::any_of(Fields().begin(), Fields().end(),
                       [&dynamic](const auto &field) { return !dynamic.contains(field.get()); });
}

void TClientDataSet::CreateDataSet()
{
    CheckInactive();
    if (FieldCount() == 0)
        throw EDatabaseError(
            QStringLiteral("Nenhum campo definido para criar o conjunto de dados"));
    ResetStore({}, dsBrowse);
}

void TClientDataSet::Open()
{
    if (Active())
        return;
    throw EDatabaseError(QStringLiteral("Missing data provider or data packet"));
}

void TClientDataSet::SetData(const Variant &data)
{
    if (!data.isPacket())
        throw EDatabaseError(
            data.isText()
                ? QStringLiteral("Pacote de dados esperado, recebido o texto: %1").arg(data.text())
                : QStringLiteral("Pacote de dados esperado, recebido um valor vazio"));
    if (const DataPacket *shared = data.packetData()) {
        Load(*shared, nullptr);
    } else {
        DataPacket parsed = DataPacket::Parse(data.packet());
        Load(parsed, &parsed);
    }
}

void TClientDataSet::Load(const DataPacket &packet, DataPacket *owned)
{
    // Everything is checked and converted before the current content is touched.
    std::vector<TRecord> records;
    if (HasPersistentFields()) {
        records = RecordsFrom(packet, owned);
        Close();
    } else {
        Close();
        TakeFields(packet);
        records = RecordsFrom(packet, owned);
    }
    ResetStore(std::move(records), dsBrowse);
}

void TClientDataSet::TakeFields(const DataPacket &packet)
{
    bool same = FieldCount() == int(packet.fields.size());
    for (size_t i = 0; same && i < packet.fields.size(); ++i) {
        const TField &field = *Fields()[i];
        const DataPacket::FieldDesc &desc = packet.fields[i];
        same = field.FieldName() == desc.name && field.DataType() == desc.type &&
               field.Size() == desc.size;
    }
    if (same)
        return; // keep the field objects that a grid may still point at
    ClearFields();
    m_dynamicFields.clear();
    for (const DataPacket::FieldDesc &desc : packet.fields)
        m_dynamicFields.push_back(AddField(desc.name, desc.type, desc.size));
}

std::vector<TRecord> TClientDataSet::RecordsFrom(const DataPacket &packet, DataPacket *owned) const
{
    // Where each of our fields comes from in the packet.
    std::vector<int> source;
    bool sameOrder = Fields().size() == packet.fields.size();
    const DataPacket::FieldFinder finder(packet);
    for (const auto &field : Fields()) {
        const int index = finder.IndexOf(field->FieldName());
        if (index < 0)
            throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado no pacote de dados")
                                     .arg(field->FieldName()));
        sameOrder = sameOrder && index == int(source.size());
        source.push_back(index);
    }
    // A loaded text keeps its whole length, also beyond the field's size: the line goes back in
    // the packet exactly as it came (its WIDTH widened), so that a host can find the stored row.
    // Only what is written into a field is cut to its size.
    const auto convertedValue = [&](const QVariant &value, size_t f, size_t row) {
        const TField &field = *Fields()[f];
        try {
            return TField::Convert(value, field.DataType());
        } catch (const EConvertError &e) {
            throw EDatabaseError(QStringLiteral("Pacote de dados: campo '%1' da linha %2: %3")
                                     .arg(field.FieldName())
                                     .arg(row + 1)
                                     .arg(e.Message()));
        }
    };
    // The values of a packet that is ours, with our fields in our order, are converted in place
    // and handed over without copying.
    const auto convert = [&](size_t row) {
        const std::vector<QVariant> &values = packet.rows[row].values;
        if (owned && sameOrder && values.size() == source.size()) {
            std::vector<QVariant> &taken = owned->rows[row].values;
            for (size_t f = 0; f < taken.size(); ++f)
                taken[f] = convertedValue(taken[f], f, row);
            return std::move(taken);
        }
        std::vector<QVariant> out;
        out.reserve(source.size());
        for (size_t f = 0; f < source.size(); ++f)
            out.push_back(convertedValue(values.at(size_t(source[f])), f, row));
        return out;
    };
    std::vector<TRecord> records;
    records.reserve(packet.rows.size());
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        const DataPacket::Row &row = packet.rows[r];
        if (row.rowState == 1)
            continue; // the original of a modified row travels with its new version
        TRecord record;
        record.values = convert(r);
        record.changeOrder = row.changeOrder;
        record.origin = row.rowState == 4 ? TRecordOrigin::Inserted : TRecordOrigin::Original;
        record.deleted = row.rowState == 2;
        if (row.rowState == 8) {
            const int original = row.originalRow >= 0 ? row.originalRow : int(r) - 1;
            record.modified = true;
            record.oldValues = convert(size_t(original));
        }
        records.push_back(std::move(record));
    }
    return records;
}

Variant TClientDataSet::Data() const
{
    CheckActive();
    return Variant::fromPacket(ToPacket());
}

void TClientDataSet::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("Não foi possível abrir o arquivo '%1': %2")
                                 .arg(fileName, file.errorString()));
    const auto tooLarge = [&]() {
        return EDatabaseError(QStringLiteral("O arquivo '%1' excede o limite de %2 bytes")
                                  .arg(fileName)
                                  .arg(DataPacket::MaxBytes));
    };
    if (file.size() > DataPacket::MaxBytes)
        throw tooLarge();
    // What is left of the file, not the whole limit: QIODevice::read(n) reserves all n bytes
    // first. A file that grows while it is read is still cut at the limit.
    QByteArray bytes;
    while (!file.atEnd() && bytes.size() <= DataPacket::MaxBytes) {
        const qint64 left = std::max<qint64>(file.size() - file.pos(), 1);
        const QByteArray part = file.read(std::min(left, DataPacket::MaxBytes + 1 - bytes.size()));
        if (part.isEmpty())
            break;
        bytes += part;
    }
    if (bytes.size() > DataPacket::MaxBytes)
        throw tooLarge();
    if (file.error() != QFileDevice::NoError)
        throw EDatabaseError(QStringLiteral("Não foi possível ler o arquivo '%1': %2")
                                 .arg(fileName, file.errorString()));
    try {
        SetData(Variant::fromPacket(bytes));
    } catch (const EDatabaseError &e) {
        throw EDatabaseError(QStringLiteral("Arquivo '%1': %2").arg(fileName, e.Message()));
    }
}

void TClientDataSet::SaveToFile(const QString &fileName) const
{
    const QByteArray xml = Data().packet();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit())
        throw EDatabaseError(QStringLiteral("Não foi possível gravar o arquivo '%1': %2")
                                 .arg(fileName, file.errorString()));
}
