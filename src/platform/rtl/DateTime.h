#pragma once

#include <QDate>
#include <QDateTime>

// Days since 1899-12-30; the fraction is the time of day. Before 1899-12-30 the integral part
// counts the days backwards and the fraction is still the time of day (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

TDateTime DateToDateTime(const QDate &date);
TDateTime QDateTimeToDateTime(const QDateTime &dateTime); // local wall-clock time, no zone shift
QDate DateTimeToQDate(TDateTime value);                   // the date part
// Rounded to the millisecond. The result is a wall-clock value marked as UTC time, so that no
// daylight-saving gap can move it; date() and time() give back exactly what was stored.
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime DateOf(TDateTime value); // midnight of the same day
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int msec = 0);
