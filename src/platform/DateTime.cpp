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
    const QDate date = epoch().addDays(qint64(days));
    if (!date.isValid())
        throw EConvertError(QStringLiteral("Valor de data e hora fora do intervalo"));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)), Qt::UTC);
}

QDate DateTimeToQDate(TDateTime value)
{
    return DateTimeToQDateTime(value).date();
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
