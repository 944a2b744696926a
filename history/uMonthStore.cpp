#include "uMonthStore.h"

#include <utility>

#include "uClock.h"
#include "uDayReference.h"

namespace {

const TDayTotal NoDay;

} // namespace

qint64 FigureOf(const THistorySample &sample, TDayFigure figure)
{
    switch (figure) {
    case TDayFigure::Callers:
        return sample.Callers;
    case TDayFigure::Seconds:
        return sample.Seconds;
    case TDayFigure::Cents:
        return sample.Cents;
    }
    return 0;
}

TMonthStore::TMonthStore(QString programDir)
    : m_programDir(std::move(programDir))
{
}

void TMonthStore::Load(const QDate &from, const QDate &to)
{
    m_from = from;
    m_to = to;
    m_days.clear();
    if (!from.isValid() || !to.isValid() || to < from)
        return;
    m_days.reserve(std::size_t(from.daysTo(to) + 1));
    for (QDate d = from; d <= to; d = d.addDays(1))
        m_days.push_back(ReadDayTotal(DayFilePath(m_programDir, d), Clock::LocalSeconds(d.startOfDay(Qt::UTC))));
}

void TMonthStore::SetLive(const QDate &date, const THistorySample &sample)
{
    if (!m_from.isValid() || date < m_from || date > m_to)
        return;
    m_days[std::size_t(m_from.daysTo(date))] = TDayTotal{true, false, sample};
}

const TDayTotal &TMonthStore::Day(const QDate &date) const
{
    if (!m_from.isValid() || date < m_from || date > m_to)
        return NoDay;
    return m_days[std::size_t(m_from.daysTo(date))];
}

std::optional<qint64> TMonthStore::Value(const QDate &date, TDayFigure figure) const
{
    const TDayTotal &day = Day(date);
    if (!day.Last)
        return std::nullopt;
    return FigureOf(*day.Last, figure);
}

std::optional<qint64> TMonthStore::ValueAt(const QDate &date, int secondOfDay, TDayFigure figure) const
{
    TDayReference day;
    if (!day.Load(DayFilePath(m_programDir, date), Clock::LocalSeconds(date.startOfDay(Qt::UTC))))
        return std::nullopt;
    // The day file's value fields: Online, Callers, Seconds, Cents.
    const int series = figure == TDayFigure::Callers ? 1 : figure == TDayFigure::Seconds ? 2 : 3;
    const std::optional<qint32> value = day.ValueAt(series, secondOfDay);
    return value ? std::optional<qint64>(*value) : std::nullopt;
}
