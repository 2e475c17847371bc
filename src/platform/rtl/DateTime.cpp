#include "DateTime.h"

#include "Exceptions.h"

#include <cmath>

namespace
{

constexpr qint64 MSecsPerDay = 24LL * 60 * 60 * 1000;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

// The day of a TDateTime is its whole part, also before the epoch (-1.25 is 1899-12-29 06:00).
QDate dayOf(double days)
{
    // Far past QDate's range; also keeps the conversion to an integer defined.
    constexpr double kLimit = 1e9;
    const QDate date = std::fabs(days) < kLimit ? epoch().addDays(qint64(days)) : QDate();
    if (!date.isValid())
        throw EConvertError(QStringLiteral("Valor de data e hora fora do intervalo"));
    return date;
}

} // namespace

TDateTime DateToDateTime(const QDate &date)
{
    if (!date.isValid())
        return 0;
    return double(epoch().daysTo(date));
}

TDateTime QDateTimeToDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0;
    const double days = DateToDateTime(dateTime.date());
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / MSecsPerDay;
    // Before the epoch the fraction still counts forward within the day.
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("Valor de data e hora inválido"));
    double days = std::trunc(value);
    qint64 msecs = std::llround(std::fabs(value - days) * MSecsPerDay);
    if (msecs >= MSecsPerDay) {
        msecs -= MSecsPerDay;
        days += value < 0 ? -1 : 1;
    }
    return QDateTime(dayOf(days), QTime::fromMSecsSinceStartOfDay(int(msecs)), Qt::UTC);
}

// Not through DateTimeToQDateTime: rounding the time to the millisecond would make a moment just
// before midnight the next day.
QDate DateTimeToQDate(TDateTime value)
{
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("Valor de data e hora inválido"));
    return dayOf(std::trunc(value));
}

TDateTime DateOf(TDateTime value)
{
    return DateToDateTime(DateTimeToQDate(value));
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (!date.isValid() || !time.isValid())
        throw EConvertError(QStringLiteral("Data ou hora inválida"));
    return QDateTimeToDateTime(QDateTime(date, time, Qt::UTC));
}
