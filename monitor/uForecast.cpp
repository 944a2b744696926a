#include "uForecast.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "uClock.h"
#include "uDayReference.h"

namespace {

constexpr double SecondsPerMinute = 60.0;
constexpr double CentsPerEuro = 100.0;
constexpr int StaleMissedPolls = 2;
constexpr int StaleSlackSeconds = 10;
constexpr qint64 MinuteSeconds = 60;
constexpr qint64 HourMinutes = 60;

} // namespace

TDayForecast ForecastFor(const TDayReference &yesterday, int secondOfDay, int callers, int seconds, double euros)
{
    enum { Callers = 1, Seconds = 2, Cents = 3 };
    TDayForecast forecast;
    forecast.Callers = ForecastDay(callers, yesterday.ValueAt(Callers, secondOfDay), yesterday.DayValue(Callers));
    forecast.Minutes = ForecastDay(seconds / SecondsPerMinute, yesterday.ValueAt(Seconds, secondOfDay),
                                   yesterday.DayValue(Seconds));
    // Cents in the file, euros today: the ratio is the same in either unit.
    forecast.Euros = ForecastDay(euros, yesterday.ValueAt(Cents, secondOfDay), yesterday.DayValue(Cents));
    return forecast;
}

QString ForecastText(const TDayForecast &forecast)
{
    const QLocale locale;
    QStringList parts;
    if (forecast.Callers)
        parts << locale.toString(qint64(std::llround(*forecast.Callers))) + QStringLiteral(" bellers");
    if (forecast.Minutes)
        parts << locale.toString(qint64(std::llround(*forecast.Minutes))) + QStringLiteral(" minuten");
    if (forecast.Euros)
        parts << QStringLiteral("€ ") + locale.toString(*forecast.Euros, 'f', 2);
    if (parts.isEmpty())
        return {};
    return QStringLiteral("Verwacht vandaag: ") + parts.join(QStringLiteral(", "));
}

qint64 StaleAfterSeconds(int interval)
{
    return qint64(StaleMissedPolls) * interval + StaleSlackSeconds;
}

bool IsStale(qint64 now, qint64 lastReply, int interval)
{
    return now - lastReply > StaleAfterSeconds(interval);
}

QString StaleText(qint64 now, qint64 lastReply)
{
    if (lastReply <= 0)
        return QStringLiteral("Nog geen gegevens");
    const QDateTime last = Clock::FromLocalSeconds(lastReply);
    // A day or more ago the time alone would mislead.
    const QString at = last.toString(now - lastReply < Clock::SecondsPerDay ? QStringLiteral("HH:mm")
                                                                           : QStringLiteral("dd-MM-yyyy HH:mm"));
    const qint64 seconds = std::max<qint64>(0, now - lastReply);
    const qint64 minutes = seconds / MinuteSeconds;
    const QString age = minutes == 0            ? QStringLiteral("%1 s").arg(seconds)
                        : minutes < HourMinutes ? QStringLiteral("%1 min").arg(minutes)
                                                : QStringLiteral("%1 uur %2 min").arg(minutes / HourMinutes).arg(minutes % HourMinutes);
    return QStringLiteral("Laatste gegevens %1, %2 geleden").arg(at, age);
}
