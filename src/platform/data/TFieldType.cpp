#include "TFieldType.h"

#include <QMetaEnum>
#include <iterator>

namespace FieldTypes
{
namespace
{

struct PacketType {
    QLatin1String name;
    TFieldType type;
};

// The packet's names: the first entry of each type is the one written, the others are read
// only, as other writers of the format use them.
constexpr PacketType packetTypes[] = {
    {QLatin1String("string"), TFieldType::ftString},
    {QLatin1String("date"), TFieldType::ftDate},
    {QLatin1String("dateTime"), TFieldType::ftDateTime},
    {QLatin1String("r8"), TFieldType::ftFloat},
    {QLatin1String("i4"), TFieldType::ftInteger},
    {QLatin1String("boolean"), TFieldType::ftBoolean},
    {QLatin1String("string.uni"), TFieldType::ftString},
    {QLatin1String("fixed"), TFieldType::ftFloat},
    {QLatin1String("fixedFMT"), TFieldType::ftFloat}, // TBufDataset's name for FmtBCD
    {QLatin1String("i2"), TFieldType::ftInteger},
    {QLatin1String("i8"), TFieldType::ftInteger},
};

// Whether a lowered text is the name in lower case. Lowered rather than folded on both sides, so
// that no other letter ("ſ" folds to "s") passes for one of the ASCII names.
bool isLowered(const QString &lowered, QLatin1String name)
{
    if (lowered.size() != name.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (lowered[i] != QChar(name[i]).toLower())
            return false;
    return true;
}

} // namespace

std::optional<TFieldType> FromName(QStringView name)
{
    // Compared key by key: QMetaEnum::keyToValue would also take a scoped "TFieldType::ftDate".
    const QMetaEnum meta = QMetaEnum::fromType<TFieldType>();
    for (int i = 0; i < meta.keyCount(); ++i)
        if (name == QLatin1String(meta.key(i)))
            return TFieldType(meta.value(i));
    return std::nullopt;
}

QString PacketName(TFieldType type)
{
    for (const PacketType &entry : packetTypes)
        if (entry.type == type)
            return entry.name;
    return QString();
}

std::optional<TFieldType> FromPacketName(QStringView name)
{
    const QString lowered = name.toString().toLower();
    for (const PacketType &entry : packetTypes)
        if (isLowered(lowered, entry.name))
            return entry.type;
    return std::nullopt;
}

} // namespace FieldTypes
