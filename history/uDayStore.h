#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <vector>

#include "uDayFile.h"
#include "uDayReference.h"

// Today's samples in memory and in the day file "History/dd-mm-yyyy.hlg", the day's
// highest and lowest figures, and yesterday read back beside it. The monitor creates and
// owns it; the history graph draws it.
class TDayStore final : public QObject
{
    Q_OBJECT
public:
    static constexpr int Capacity = DaySampleCapacity;

    // Starts today's day and reads its file, if any, and yesterday's.
    explicit TDayStore(QObject *parent = nullptr);

    // True when this sample began a new day (the old day's file has then been written).
    bool AddSample(qint64 time, int online, int callers, int seconds, int cents);
    // Writes the whole day file atomically; false when it could not, and LastError says why.
    bool SaveDay();
    // Replaces the held samples with the day file's, if it exists.
    void LoadDay();
    QString DayFileName() const;
    static QString DayFileNameFor(qint64 dayStart);
    QString LastError() const { return m_lastError; }

    qint64 DayStart() const { return m_dayStart; }
    int Count() const { return m_count; }
    const THistorySample &Sample(int slot) const { return m_samples[std::size_t(slot)]; }
    // The day's highest and lowest value of a series; 0 while the day is empty.
    int MaxValue(int series) const { return m_maxValues[std::size_t(series)]; }
    int MinValue(int series) const { return m_minValues[std::size_t(series)]; }
    // The day before today, read from its file at start and at each day change.
    const TDayReference &Yesterday() const { return m_yesterday; }
    // The same weekday one to four weeks back, read with yesterday.
    const std::array<TDayReference, SameWeekdayWeeks> &SameWeekdays() const { return m_sameWeekdays; }

Q_SIGNALS:
    // A new day began: the samples were cleared and yesterday is the day just ended.
    void DayStarted();
    // The samples were read anew from the day file.
    void DayLoaded();
    // The sample in `slot` (the newest) was stored.
    void SampleAdded(int slot);

private:
    void ClearDay();
    // Over every held sample, from slot 0 on (zero while the day is empty).
    void RecomputeExtremes();
    void Widen(const THistorySample &sample);
    void LoadYesterday();

    // Allocated once for the whole day; slot 0 stays zero while the day is empty.
    std::vector<THistorySample> m_samples;
    qint64 m_dayStart = 0;
    int m_count = 0;
    std::array<int, THistorySample::SeriesCount> m_maxValues{};
    std::array<int, THistorySample::SeriesCount> m_minValues{};
    QString m_lastError;
    TDayReference m_yesterday;
    std::array<TDayReference, SameWeekdayWeeks> m_sameWeekdays;
};
