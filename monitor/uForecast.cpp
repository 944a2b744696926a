#include "uForecast.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

#include "uClock.h"
#include "uDayReference.h"
#include "uUnits.h"

namespace {

std::optional<double> DayRatio(const TDayReference &day, int series, int secondOfDay)
{
    const std::optional<qint32> then = day.ValueAt(series, secondOfDay);
    const std::optional<qint32> end = day.DayValue(series);
    if (!then || !end || *then <= 0)
        return std::nullopt;
    return double(*end) / double(*then);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Plural names of the weekdays, Monday first.
const QStringList WeekdayPlurals{QStringLiteral("maandagen"), QStringLiteral("dinsdagen"),
                                 QStringLiteral("woensdagen"), QStringLiteral("donderdagen"),
                                 QStringLiteral("vrijdagen"), QStringLiteral("zaterdagen"),
                                 QStringLiteral("zondagen")};

QString BasisText(const TDayForecast &forecast)
{
    if (forecast.Weekday == 0)
        return QStringLiteral("op basis van gisteren");
    const QString plural = WeekdayPlurals.value(forecast.Weekday - 1);
    if (forecast.WeeksBack == 1)
        return QStringLiteral("op basis van vorige ") + plural.chopped(2);
    if (forecast.Weeks == forecast.WeeksBack)
        return QStringLiteral("op basis van de laatste %1 ").arg(forecast.Weeks) + plural;
    return QStringLiteral("op basis van %1 van de laatste %2 ").arg(forecast.Weeks).arg(forecast.WeeksBack) + plural;
}

} // namespace

TDayForecast ForecastFor(const TDayReference &yesterday, std::span<const TDayReference> sameWeekdays,
                         int secondOfDay, int callers, int seconds, std::optional<double> euros)
{
    TDayForecast forecast;
    std::vector<const TDayReference *> bases;
    for (std::size_t week = 0; week < sameWeekdays.size(); ++week) {
        if (DayRatio(sameWeekdays[week], THistorySample::SeriesCallers, secondOfDay)) {
            bases.push_back(&sameWeekdays[week]);
            forecast.WeeksBack = int(week) + 1;
        }
    }
    forecast.Weeks = int(bases.size());
    if (!bases.empty())
        forecast.Weekday = Clock::FromLocalSeconds(bases.front()->DayStart()).date().dayOfWeek();
    const auto forecastOf = [&](int series, double today) -> std::optional<double> {
        if (bases.empty())
            return ForecastDay(today, yesterday.ValueAt(series, secondOfDay), yesterday.DayValue(series));
        std::vector<double> ratios;
        for (const TDayReference *day : bases) {
            if (const auto ratio = DayRatio(*day, series, secondOfDay))
                ratios.push_back(*ratio);
        }
        if (ratios.empty())
            return std::nullopt;
        return today * Median(std::move(ratios));
    };
    forecast.Callers = forecastOf(THistorySample::SeriesCallers, callers);
    // The file holds seconds and cents: the ratio is the same in either unit.
    forecast.Minutes = forecastOf(THistorySample::SeriesMinutes, MinutesFromSeconds(seconds));
    if (euros)
        forecast.Euros = forecastOf(THistorySample::SeriesEuro, *euros);
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
    return QStringLiteral("Verwacht vandaag: ") + parts.join(QStringLiteral(", ")) + QStringLiteral(" (")
        + BasisText(forecast) + QLatin1Char(')');
}
