#include "uClock.h"

#include <QElapsedTimer>

#include "uUnits.h"

namespace Clock {

namespace {
TNowFunction &NowFunction()
{
    static TNowFunction now;
    return now;
}
} // namespace

QDateTime Now()
{
    const auto &now = NowFunction();
    return now ? now() : QDateTime::currentDateTime();
}

void SetNowFunction(TNowFunction now)
{
    NowFunction() = std::move(now);
}

qint64 MonotonicMs()
{
    if (const auto &now = NowFunction())
        return now().toMSecsSinceEpoch();
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

qint64 LocalSeconds(const QDateTime &time)
{
    const QDateTime asUtc(time.date(), time.time(), Qt::UTC);
    return asUtc.toSecsSinceEpoch();
}

qint64 LocalSecondsNow()
{
    return LocalSeconds(Now());
}

QDateTime FromLocalSeconds(qint64 seconds)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime(utc.date(), utc.time());
}

qint64 DayStartOf(qint64 localSeconds)
{
    // Before 1970 the remainder is negative: still the midnight at or before the time.
    return localSeconds - ((localSeconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
}

} // namespace Clock
