#pragma once

#include <QDateTime>

#include <functional>

// The one source of "now" and "today". Tests replace it to walk through days and times.
namespace Clock {

using TNowFunction = std::function<QDateTime()>;

QDateTime Now();
// nullptr restores the system clock.
void SetNowFunction(TNowFunction now);
// Milliseconds on a clock that only runs forward at the pace of real time, for ages and
// waits: the time zone's changes and a user setting the clock do not move it. A replaced
// Now() drives it through its instant (UTC), which no clock change moves either.
qint64 MonotonicMs();

// Local wall-clock time counted in seconds from 1970-01-01 00:00 as if it were UTC, so a
// day is always 86400 seconds from local midnight whatever the time zone does.
qint64 LocalSeconds(const QDateTime &time);
qint64 LocalSecondsNow();
QDateTime FromLocalSeconds(qint64 seconds);
// The local-clock seconds of the midnight that starts the day of `localSeconds`.
qint64 DayStartOf(qint64 localSeconds);

} // namespace Clock
