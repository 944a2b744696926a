#include "uFreshness.h"

#include <algorithm>

#include "uClock.h"
#include "uMonitor.h"
#include "uSettings.h"

TFreshness::TFreshness(const TBelvoraMonitor &monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TFreshness::Check);
    connect(&monitor, &TBelvoraMonitor::ReplyProcessed, this, &TFreshness::Check);
    Check();
}

void TFreshness::Check()
{
    const qint64 now = Clock::LocalSecondsNow();
    const bool stale = m_monitor.DataIsStale(now);
    const QString text = stale ? m_monitor.StaleText(now) : QString();
    if (stale) {
        // The age is said in seconds for the first minute, then in minutes: refreshed
        // each second, then as each new minute begins.
        const qint64 age = m_monitor.LastReplyTime > 0 ? std::max<qint64>(0, now - m_monitor.LastReplyTime) : 0;
        const qint64 wait = m_monitor.LastReplyTime <= 0 ? AgeRefreshMs / 1000
            : age < SecondsPerMinute                      ? 1
                                                          : SecondsPerMinute - age % SecondsPerMinute;
        m_timer.start(int(wait) * 1000);
    } else {
        const qint64 since = m_monitor.LastReplyTime > 0 ? m_monitor.LastReplyTime : m_monitor.CreatedTime;
        const qint64 wait = since + StaleAfterSeconds(Settings.Interval) + 1 - now;
        m_timer.start(int(std::clamp<qint64>(wait, 1, AgeRefreshMs / 1000)) * 1000);
    }
    if (stale == m_stale && text == m_text)
        return;
    m_stale = stale;
    m_text = text;
    Q_EMIT Changed();
}
