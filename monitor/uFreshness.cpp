#include "uFreshness.h"

#include <QDateTime>

#include <algorithm>

#include "uClock.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uUnits.h"

namespace {

constexpr int StaleMissedPolls = 2;
constexpr int StaleSlackSeconds = 10;

} // namespace

TFreshness::TFreshness(const TBelvoraMonitor &monitor, QObject *parent)
    : QObject(parent), Monitor(monitor)
{
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, &TFreshness::Check);
    connect(&monitor, &TBelvoraMonitor::ReplyProcessed, this, &TFreshness::Check);
    Check();
}

qint64 TFreshness::StaleAfterSeconds(int interval)
{
    return qint64(StaleMissedPolls) * interval + StaleSlackSeconds;
}

bool TFreshness::IsStale(qint64 now, qint64 lastReply, int interval)
{
    return now - lastReply > StaleAfterSeconds(interval);
}

QString TFreshness::StaleText(qint64 now, qint64 lastReply)
{
    if (lastReply <= 0)
        return QStringLiteral("Nog geen gegevens");
    const QDateTime last = Clock::FromLocalSeconds(lastReply);
    // A day or more ago the time alone would mislead.
    const QString at = last.toString(now - lastReply < SecondsPerDay ? QStringLiteral("HH:mm")
                                                                           : QStringLiteral("dd-MM-yyyy HH:mm"));
    const qint64 seconds = std::max<qint64>(0, now - lastReply);
    const qint64 minutes = seconds / SecondsPerMinute;
    const QString age = minutes == 0            ? QStringLiteral("%1 s").arg(seconds)
                        : minutes < MinutesPerHour ? QStringLiteral("%1 min").arg(minutes)
                                                : QStringLiteral("%1 uur %2 min").arg(minutes / MinutesPerHour).arg(minutes % MinutesPerHour);
    return QStringLiteral("Laatste gegevens %1, %2 geleden").arg(at, age);
}

void TFreshness::Check()
{
    const qint64 now = Clock::LocalSecondsNow();
    // Before the first reply the figures count from the monitor's start.
    const qint64 since = Monitor.LastReplyTime > 0 ? Monitor.LastReplyTime : Monitor.CreatedTime;
    const bool stale = IsStale(now, since, Settings.Interval);
    const QString text = stale ? StaleText(now, Monitor.LastReplyTime) : QString();
    if (stale) {
        // The age is said in seconds for the first minute, then in minutes.
        const qint64 age = Monitor.LastReplyTime > 0 ? std::max<qint64>(0, now - Monitor.LastReplyTime) : 0;
        const qint64 wait = Monitor.LastReplyTime <= 0 ? AgeRefreshMs / 1000
            : age < SecondsPerMinute                    ? 1
                                                        : SecondsPerMinute - age % SecondsPerMinute;
        Timer.start(int(wait) * 1000);
    } else {
        const qint64 wait = since + StaleAfterSeconds(Settings.Interval) + 1 - now;
        Timer.start(int(std::clamp<qint64>(wait, 1, AgeRefreshMs / 1000)) * 1000);
    }
    if (stale == IsStaleNow && text == ShownText)
        return;
    IsStaleNow = stale;
    ShownText = text;
    Q_EMIT Changed();
}
