#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "uDayFile.h"

// A finished day read back from its day file, to set today beside it: yesterday's curve
// behind today's on the day graph, the day's forecast and triggers that compare with
// yesterday. Samples are kept in the order they were taken: on the day the clock goes
// back, an hour of times comes twice. Lines outside the day (an unreadable line reads as
// time 0) are left out.
class TDayReference final
{
public:
    // How far from the asked time of day a sample may lie and still stand for it.
    static constexpr int MatchWindow = 10 * SecondsPerMinute;

    // False when the file does not exist or cannot be read; the day is then empty.
    bool Load(const QString &fileName, qint64 dayStart);
    void Clear();

    bool IsEmpty() const { return m_samples.empty(); }
    int Count() const { return int(m_samples.size()); }
    const THistorySample &Sample(int i) const { return m_samples[std::size_t(i)]; }
    qint64 DayStart() const { return m_dayStart; }

    // The series' value at this time of day (seconds after midnight): the nearest sample,
    // when one lies within MatchWindow.
    std::optional<qint32> ValueAt(int series, int secondOfDay) const;
    // The series' value at the end of the day: its last sample, when that lies within
    // MatchWindow of midnight (a day the program was closed early has no end value).
    std::optional<qint32> DayValue(int series) const;
    // The largest value of the series; 0 for an empty day.
    qint32 MaxValue(int series) const;

private:
    std::vector<THistorySample> m_samples;
    qint64 m_dayStart = 0;
    bool m_inTimeOrder = true;  // false on the day the clock went back
};

// How many weeks back the same weekday is looked for, by the day's and the month's forecast.
constexpr int SameWeekdayWeeks = 4;

// Today's figure at the end of the day if it goes on as yesterday did from the same time:
// today so far × yesterday's whole day ÷ yesterday then. None without yesterday's sample
// at that time, or when it was not above zero.
std::optional<double> ForecastDay(double todaySoFar, std::optional<qint32> yesterdayThen,
                                  std::optional<qint32> yesterdayDay);
