#include "uForecast.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "uClock.h"
#include "uDayReference.h"
#include "uHistory.h"

namespace {

constexpr qint64 SecondsPerMinute = 60;
constexpr qint64 HourMinutes = 60;
constexpr int StaleMissedPolls = 2;
constexpr int StaleSlackSeconds = 10;

} // namespace

TDayForecast ForecastFor(const TDayReference &yesterday, int secondOfDay, int callers, int seconds,
                         std::optional<double> euros)
{
    const auto forecastOf = [&](int series, double today) {
        return ForecastDay(today, yesterday.ValueAt(series, secondOfDay), yesterday.DayValue(series));
    };
    TDayForecast forecast;
    forecast.Callers = forecastOf(THistoryGraph::SeriesCallers, callers);
    // The file holds seconds and cents: the ratio is the same in either unit.
    forecast.Minutes = forecastOf(THistoryGraph::SeriesMinutes, double(seconds) / SecondsPerMinute);
    if (euros)
        forecast.Euros = forecastOf(THistoryGraph::SeriesEuro, *euros);
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
    const qint64 minutes = seconds / SecondsPerMinute;
    const QString age = minutes == 0            ? QStringLiteral("%1 s").arg(seconds)
                        : minutes < HourMinutes ? QStringLiteral("%1 min").arg(minutes)
                                                : QStringLiteral("%1 uur %2 min").arg(minutes / HourMinutes).arg(minutes % HourMinutes);
    return QStringLiteral("Laatste gegevens %1, %2 geleden").arg(at, age);
}
