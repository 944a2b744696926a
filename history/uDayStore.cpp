#include "uDayStore.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "uClock.h"
#include "uDayTotals.h"
#include "uDebugLog.h"
#include "uSettings.h"
#include "uUnits.h"

TDayStore::TDayStore(QObject *parent)
    : QObject(parent)
    , m_samples(Capacity)
{
    m_dayStart = Clock::DayStartOf(Clock::LocalSecondsNow());
    LoadDay();
    LoadYesterday();
}

void TDayStore::ClearDay()
{
    // Slot 0 included even when empty: an empty day's extremes come from a zero slot 0.
    std::memset(static_cast<void *>(m_samples.data()), 0, sizeof(THistorySample) * std::max(m_count, 1));
    m_count = 0;
    m_maxValues.fill(0);
    m_minValues.fill(0);
}

bool TDayStore::AddSample(qint64 time, int online, int callers, int seconds, int cents)
{
    bool newDay = false;
    if (time >= m_dayStart + SecondsPerDay) {
        if (!SaveDay())
            DebugLog(DebugLevel::Requests, QStringLiteral("History.SaveDay exception: %1").arg(m_lastError));
        m_dayStart = Clock::DayStartOf(Clock::LocalSecondsNow());
        ClearDay();
        LoadYesterday();
        newDay = true;
        Q_EMIT DayStarted();
    }
    if (m_count == Capacity)
        return newDay;

    THistorySample &sample = m_samples[std::size_t(m_count++)];
    sample = {qint32(time), online, callers, seconds, cents};
    // The day's first sample sets the extremes; widening would keep the empty day's zeros.
    if (m_count == 1)
        RecomputeExtremes();
    else
        Widen(sample);
    Q_EMIT SampleAdded(m_count - 1);
    return newDay;
}

bool TDayStore::SaveDay()
{
    QByteArray text;
    FormatDayFile(m_samples.data(), m_count, text);

    const QString name = DayFileName();
    QDir().mkpath(QFileInfo(name).path());
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        m_lastError = QStringLiteral("%1: %2").arg(name, file.errorString());
        return false;
    }
    m_lastError.clear();
    return true;
}

void TDayStore::LoadDay()
{
    ClearDay();
    QFile file(DayFileName());
    if (file.exists()) {
        if (file.open(QIODevice::ReadOnly))
            m_count = ReadDayFile(file, m_samples.data(), Capacity);
        else
            DebugLog(DebugLevel::Requests, QStringLiteral("History.LoadDay: %1: %2").arg(file.fileName(), file.errorString()));
    }
    RecomputeExtremes();
    Q_EMIT DayLoaded();
}

void TDayStore::LoadYesterday()
{
    const qint64 dayStart = m_dayStart - SecondsPerDay;
    m_yesterday.Load(DayFileNameFor(dayStart), dayStart);
    for (int week = 1; week <= SameWeekdayWeeks; ++week) {
        const qint64 weekStart = m_dayStart - qint64(week) * DaysPerWeek * SecondsPerDay;
        m_sameWeekdays[std::size_t(week - 1)].Load(DayFileNameFor(weekStart), weekStart);
    }
}

QString TDayStore::DayFileName() const
{
    return DayFileNameFor(m_dayStart);
}

QString TDayStore::DayFileNameFor(qint64 dayStart)
{
    return DayFilePath(ProgramDir, Clock::FromLocalSeconds(dayStart).date());
}

void TDayStore::RecomputeExtremes()
{
    for (int v = 0; v < THistorySample::SeriesCount; ++v)
        m_maxValues[std::size_t(v)] = m_minValues[std::size_t(v)] = m_samples[0].Value(v);
    for (int i = 1; i < m_count; ++i)
        Widen(m_samples[std::size_t(i)]);
}

void TDayStore::Widen(const THistorySample &sample)
{
    for (int v = 0; v < THistorySample::SeriesCount; ++v) {
        const qint32 value = sample.Value(v);
        if (value > m_maxValues[std::size_t(v)])
            m_maxValues[std::size_t(v)] = value;
        else if (value < m_minValues[std::size_t(v)])
            m_minValues[std::size_t(v)] = value;
    }
}
