#pragma once

#include <QDate>

#include <optional>

#include "uDayReference.h"
#include "uMonthStore.h"

// Sums of a figure over spans of days, for the overview. Days without a total are left
// out, not counted as zero; Days and Missing say how many there were of each.
struct TPeriodSum
{
    QDate From;
    QDate To;
    qint64 Value = 0;
    int Days = 0;
    int Missing = 0;
};

// A span and the same span of the period before it.
struct TPeriodChange
{
    TPeriodSum Now;
    TPeriodSum Before;
    // Rounded percentage; none when the span before holds nothing to compare with.
    std::optional<int> Percent;
};

struct TBestDay
{
    QDate Date;
    qint64 Value = 0;
};

TPeriodSum SumOver(const TMonthStore &store, const QDate &from, const QDate &to, TDayFigure figure);
// `soFar`: the span ends in today as far as this second of the day, so the span before
// ends at the same time of its last day (its whole day when no sample lies near then).
TPeriodChange Compare(const TMonthStore &store, const QDate &from, const QDate &to, const QDate &beforeFrom,
                      const QDate &beforeTo, TDayFigure figure, std::optional<int> soFar = std::nullopt);

// Monday to today against the same days a week earlier.
TPeriodChange ThisWeek(const TMonthStore &store, const QDate &today, TDayFigure figure,
                       std::optional<int> soFar = std::nullopt);
// The first of the month to today against the same days of the month before (as far as
// that month reaches).
TPeriodChange ThisMonth(const TMonthStore &store, const QDate &today, TDayFigure figure,
                        std::optional<int> soFar = std::nullopt);
// The whole month before against the whole month before that.
TPeriodChange LastMonth(const TMonthStore &store, const QDate &today, TDayFigure figure);

// The day with the highest value from `from` to `to`; none when no day has a total.
std::optional<TBestDay> BestDay(const TMonthStore &store, const QDate &from, const QDate &to, TDayFigure figure);

// The month so far plus each day left at the average of its weekday over the four weeks
// before today (or, for a weekday without any, of all those days); none when those weeks
// hold nothing and days are left.
std::optional<double> MonthForecast(const TMonthStore &store, const QDate &today, TDayFigure figure);

// The first day the overview of `today` needs: its 31 days, the months compared and the
// weeks the forecast looks at.
QDate OverviewStart(const QDate &today);
constexpr int OverviewDays = 31;
