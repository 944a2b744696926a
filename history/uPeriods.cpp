#include "uPeriods.h"

#include <algorithm>
#include <cmath>

#include "uUnits.h"

namespace {

constexpr double Hundred = 100.0;

QDate FirstOfMonth(const QDate &date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate LastOfMonth(const QDate &date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

} // namespace

TPeriodSum SumOver(const TMonthStore &store, const QDate &from, const QDate &to, TDayFigure figure)
{
    TPeriodSum sum{from, to};
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        if (const auto value = store.Value(d, figure)) {
            sum.Value += *value;
            ++sum.Days;
        } else {
            ++sum.Missing;
        }
    }
    return sum;
}

TPeriodChange Compare(const TMonthStore &store, const QDate &from, const QDate &to, const QDate &beforeFrom,
                      const QDate &beforeTo, TDayFigure figure, std::optional<int> soFar)
{
    TPeriodChange change{SumOver(store, from, to, figure), SumOver(store, beforeFrom, beforeTo, figure), std::nullopt};
    const std::optional<qint64> whole = store.Value(beforeTo, figure);
    if (soFar && whole) {
        if (const std::optional<qint64> then = store.ValueAt(beforeTo, *soFar, figure))
            change.Before.Value += *then - *whole;
    }
    if (change.Before.Value > 0) {
        const double ratio = double(change.Now.Value - change.Before.Value) / double(change.Before.Value);
        change.Percent = int(std::lround(ratio * Hundred));
    }
    return change;
}

TPeriodChange ThisWeek(const TMonthStore &store, const QDate &today, TDayFigure figure, std::optional<int> soFar)
{
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    return Compare(store, monday, today, monday.addDays(-DaysPerWeek), today.addDays(-DaysPerWeek), figure, soFar);
}

TPeriodChange ThisMonth(const TMonthStore &store, const QDate &today, TDayFigure figure, std::optional<int> soFar)
{
    const QDate first = FirstOfMonth(today);
    const QDate before = first.addMonths(-1);
    const QDate beforeTo(before.year(), before.month(), std::min(today.day(), before.daysInMonth()));
    return Compare(store, first, today, before, beforeTo, figure, soFar);
}

TPeriodChange LastMonth(const TMonthStore &store, const QDate &today, TDayFigure figure)
{
    const QDate last = FirstOfMonth(today).addMonths(-1);
    const QDate before = last.addMonths(-1);
    return Compare(store, last, LastOfMonth(last), before, LastOfMonth(before), figure);
}

std::optional<TBestDay> BestDay(const TMonthStore &store, const QDate &from, const QDate &to, TDayFigure figure)
{
    std::optional<TBestDay> best;
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        const auto value = store.Value(d, figure);
        if (value && (!best || *value > best->Value))
            best = TBestDay{d, *value};
    }
    return best;
}

std::optional<double> MonthForecast(const TMonthStore &store, const QDate &today, TDayFigure figure)
{
    const QDate lookFrom = today.addDays(-SameWeekdayWeeks * DaysPerWeek);
    const QDate lookTo = today.addDays(-1);
    // Per weekday (1..7, 0 for all of them) the sum and the number of days with a total.
    double sums[DaysPerWeek + 1] = {};
    int counts[DaysPerWeek + 1] = {};
    for (QDate d = lookFrom; d <= lookTo; d = d.addDays(1)) {
        if (const auto value = store.Value(d, figure)) {
            for (const int slot : {d.dayOfWeek(), 0}) {
                sums[slot] += double(*value);
                ++counts[slot];
            }
        }
    }
    double forecast = double(SumOver(store, FirstOfMonth(today), today, figure).Value);
    for (QDate d = today.addDays(1); d <= LastOfMonth(today); d = d.addDays(1)) {
        const int slot = counts[d.dayOfWeek()] > 0 ? d.dayOfWeek() : 0;
        if (counts[slot] == 0)
            return std::nullopt;
        forecast += sums[slot] / counts[slot];
    }
    return forecast;
}

QDate OverviewStart(const QDate &today)
{
    return std::min({today.addDays(1 - OverviewDays), FirstOfMonth(today).addMonths(-2),
                     today.addDays(-SameWeekdayWeeks * DaysPerWeek)});
}
