#include "uFreshness.h"

#include <algorithm>

#include "uClock.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uUnits.h"

namespace {

constexpr int StaleMissedPolls = 2;
constexpr int StaleSlackSeconds = 10;
constexpr int MsPerSecond = 1000;

} // namespace

TFreshness::TFreshness(const TBelvoraMonitor &monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TFreshness::Check);
    connect(&monitor, &TBelvoraMonitor::ReplyProcessed, this, &TFreshness::Check);
    Check();
}

qint64 TFreshness::StaleAfterSeconds(int interval)
{
    return qint64(StaleMissedPolls) * interval + StaleSlackSeconds;
}

bool TFreshness::IsStale(qint64 ageSeconds, int interval)
{
    return ageSeconds > StaleAfterSeconds(interval);
}

QString TFreshness::StaleText(qint64 lastReply, qint64 ageSeconds)
{
    if (lastReply <= 0)
        return QStringLiteral("Nog geen gegevens");
    // A day or more ago the time alone would mislead.
    const QString at = Clock::FromLocalSeconds(lastReply).toString(
        ageSeconds < SecondsPerDay ? QStringLiteral("HH:mm") : QStringLiteral("dd-MM-yyyy HH:mm"));
    const qint64 seconds = std::max<qint64>(0, ageSeconds);
    const qint64 minutes = seconds / SecondsPerMinute;
    const QString age = minutes == 0               ? QStringLiteral("%1 s").arg(seconds)
                        : minutes < MinutesPerHour ? QStringLiteral("%1 min").arg(minutes)
                                                   : QStringLiteral("%1 uur %2 min")
                                                         .arg(minutes / MinutesPerHour)
                                                         .arg(minutes % MinutesPerHour);
    return QStringLiteral("Laatste gegevens %1, %2 geleden").arg(at, age);
}

void TFreshness::Check()
{
    // Measured on the monotonic clock: a clock change would make dead figures look live
    // for an hour, or fresh ones an hour old. Before the first reply the figures count
    // from the monitor's start.
    const bool replied = m_monitor.LastReplyTime > 0;
    const qint64 sinceMs = replied ? m_monitor.LastReplyMs : m_monitor.CreatedMs;
    const qint64 age = std::max<qint64>(0, (Clock::MonotonicMs() - sinceMs) / MsPerSecond);
    const bool stale = IsStale(age, Settings.Interval);
    const QString text = stale ? StaleText(m_monitor.LastReplyTime, age) : QString();
    if (stale) {
        // The age is said in seconds for the first minute, then in minutes.
        const qint64 wait = !replied                ? AgeRefreshMs / MsPerSecond
                            : age < SecondsPerMinute ? 1
                                                     : SecondsPerMinute - age % SecondsPerMinute;
        m_timer.start(int(wait) * MsPerSecond);
    } else {
        const qint64 wait = StaleAfterSeconds(Settings.Interval) + 1 - age;
        m_timer.start(int(std::clamp<qint64>(wait, 1, AgeRefreshMs / MsPerSecond)) * MsPerSecond);
    }
    if (stale == m_stale && text == m_text)
        return;
    m_stale = stale;
    m_text = text;
    Q_EMIT Changed();
}
