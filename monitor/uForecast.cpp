#include "uForecast.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "uDayReference.h"
#include "uHistory.h"

namespace {

constexpr qint64 SecondsPerMinute = 60;

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
