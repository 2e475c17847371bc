#pragma once

#include <QObject>
#include <QString>
#include <QStringView>
#include <optional>

// The kinds of value a field holds. The enumerators' own names ("ftString", ...) are the names
// the data-module definitions use; a data packet has names of its own ("string", "r8", ...).
namespace FieldTypes
{
Q_NAMESPACE

enum class TFieldType { ftString, ftDate, ftDateTime, ftFloat, ftInteger, ftBoolean };
Q_ENUM_NS(TFieldType)

// The type of an enumerator's name ("ftString"), matched exactly; nothing for any other text.
std::optional<TFieldType> FromName(QStringView name);

// The packet's fieldtype written for a type ("string", "dateTime", "r8", "i4", ...).
QString PacketName(TFieldType type);
// The type of a fieldtype as packets of other writers carry it too ("string.uni", "i8",
// "fixedFMT", ...), compared without case; nothing for an unknown name.
std::optional<TFieldType> FromPacketName(QStringView name);
} // namespace FieldTypes

using FieldTypes::TFieldType;
