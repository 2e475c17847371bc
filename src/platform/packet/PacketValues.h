#pragma once

#include "TFieldType.h"

#include <QByteArray>
#include <QDate>
#include <QStringView>
#include <QTime>
#include <QVariant>

// The value texts of a packet's ROW attributes, read strictly (ASCII digits only, no blanks, no
// locale) and written in the same forms.
namespace PacketValues
{
// An optional sign and 1 to 18 ASCII digits, nothing else.
bool parseDecimalInt(QStringView text, qint64 &value);
// yyyyMMdd, optionally followed by Thh:mm:ss and three digits of milliseconds.
bool parseStamp(QStringView text, QDate &date, QTime &time, bool &hasTime);
// [+-]digits[.digits][e[+-]digits], with at least one digit before the exponent; no comma, no
// INF or NAN.
bool parseDecimalFloat(QStringView text, double &value);

// Appends the text of a value already in the type the reader yields (see DataPacket::Normalize).
void appendValue(QByteArray &out, TFieldType type, const QVariant &value);
} // namespace PacketValues
