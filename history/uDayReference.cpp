#include "uDayReference.h"

#include <algorithm>
#include <cstdlib>

#include <QFile>

bool TDayReference::Load(const QString &fileName, qint64 dayStart)
{
    Clear();
    m_dayStart = dayStart;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::vector<THistorySample> read(DaySampleCapacity);
    read.resize(std::size_t(ReadDayFile(file, read.data(), DaySampleCapacity)));
    std::erase_if(read, [dayStart](const THistorySample &s) {
        return s.Time < dayStart || s.Time >= dayStart + SecondsPerDay;
    });
    const auto byTime = [](const THistorySample &a, const THistorySample &b) { return a.Time < b.Time; };
    m_inTimeOrder = std::is_sorted(read.begin(), read.end(), byTime);
    // Copied to a vector of its own size: the day is kept for a whole day.
    m_samples = std::vector<THistorySample>(read.begin(), read.end());
    return true;
}

void TDayReference::Clear()
{
    // Assigned, not cleared: a day's samples give their memory back.
    m_samples = {};
}

std::optional<qint32> TDayReference::ValueAt(int series, int secondOfDay) const
{
    if (m_samples.empty())
        return std::nullopt;
    const qint64 time = m_dayStart + secondOfDay;
    const THistorySample *nearest = nullptr;
    qint64 distance = 0;
    const auto consider = [&](const THistorySample &s) {
        const qint64 d = std::llabs(qint64(s.Time) - time);
        if (!nearest || d < distance) {
            nearest = &s;
            distance = d;
        }
    };
    if (m_inTimeOrder) {
        const auto after = std::lower_bound(m_samples.begin(), m_samples.end(), time,
                                            [](const THistorySample &s, qint64 t) { return s.Time < t; });
        if (after != m_samples.end())
            consider(*after);
        if (after != m_samples.begin())
            consider(*std::prev(after));
    } else {
        // One day a year: look at every sample.
        for (const THistorySample &s : m_samples)
            consider(s);
    }
    if (distance > MatchWindow)
        return std::nullopt;
    return nearest->Value(series);
}

std::optional<qint32> TDayReference::DayValue(int series) const
{
    if (m_samples.empty() || m_samples.back().Time < m_dayStart + SecondsPerDay - MatchWindow)
        return std::nullopt;
    return m_samples.back().Value(series);
}

qint32 TDayReference::MaxValue(int series) const
{
    qint32 max = 0;
    for (const THistorySample &s : m_samples)
        max = std::max(max, s.Value(series));
    return max;
}

std::optional<double> ForecastDay(double todaySoFar, std::optional<qint32> yesterdayThen,
                                  std::optional<qint32> yesterdayDay)
{
    if (!yesterdayThen || !yesterdayDay || *yesterdayThen <= 0)
        return std::nullopt;
    return todaySoFar * (double(*yesterdayDay) / double(*yesterdayThen));
}
