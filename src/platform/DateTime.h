#pragma once

#include <QDate>
#include <QDateTime>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

TDateTime DateToDateTime(const QDate &date);
TDateTime QDateTimeToDateTime(const QDateTime &dateTime); // local wall-clock time, no zone shift
QDate DateTimeToQDate(TDateTime value);                   // the date part
QDateTime DateTimeToQDateTime(TDateTime value);           // rounded to the millisecond
TDateTime DateOf(TDateTime value);                        // midnight of the same day
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int msec = 0);
