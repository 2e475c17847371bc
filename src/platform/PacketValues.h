#pragma once

#include <QDate>
#include <QStringView>
#include <QTime>

// The value texts of a packet's ROW attributes, read strictly: ASCII digits only, no blanks, no
// locale.
namespace PacketValues
{
// An optional sign and 1 to 18 ASCII digits, nothing else.
bool parseDecimalInt(QStringView text, qint64 &value);
// yyyyMMdd, optionally followed by Thh:mm:ss and three digits of milliseconds.
bool parseStamp(QStringView text, QDate &date, QTime &time, bool &hasTime);
// [+-]digits[.digits][e[+-]digits], with at least one digit before the exponent.
bool parseDecimalFloat(QStringView text, double &value);
} // namespace PacketValues
