#include "uQuiet.h"

#include "uSettings.h"
#include "uTriggers.h"
#include "uUnits.h"

namespace {

// Longer than any clock change there is.
constexpr int LongestGapMinutes = 3 * MinutesPerHour;

bool HoursHold(const TQuietTimes &times, const QTime &time)
{
    if (!times.From || !times.To || *times.From == *times.To)
        return false;
    const int now = time.msecsSinceStartOfDay() / 1000;
    if (*times.From < *times.To)
        return now >= *times.From && now < *times.To;
    return now >= *times.From || now < *times.To;   // across midnight
}

// The end of the quiet hours that hold at `now`.
QDateTime HoursEnd(const TQuietTimes &times, const QDateTime &now)
{
    const int seconds = now.time().msecsSinceStartOfDay() / 1000;
    QDate day = now.date();
    if (*times.From > *times.To && seconds >= *times.From)
        day = day.addDays(1);
    return LocalMoment(day, *times.To);
}

bool SnoozeHolds(const TQuietTimes &times, const QDateTime &now)
{
    return times.SnoozeUntil.isValid() && now < times.SnoozeUntil;
}

bool HoursQuiet(const TQuietTimes &times, const QDateTime &now)
{
    const bool resumed = times.ResumedUntil.isValid() && now < times.ResumedUntil;
    return !resumed && HoursHold(times, now.time());
}

} // namespace

bool IsQuiet(const TQuietTimes &times, const QDateTime &now)
{
    return SnoozeHolds(times, now) || HoursQuiet(times, now);
}

QDateTime QuietEnd(const TQuietTimes &times, const QDateTime &now)
{
    if (!IsQuiet(times, now))
        return {};
    // A snooze may run into the quiet hours and they into a snooze: follow the chain.
    QDateTime end = now;
    for (int step = 0; step < 4; ++step) {
        if (SnoozeHolds(times, end))
            end = times.SnoozeUntil;
        else if (HoursQuiet(times, end))
            end = HoursEnd(times, end);
        else
            break;
    }
    return end;
}

TQuietTimes TQuietHours::Times() const
{
    TQuietTimes times;
    times.SnoozeUntil = Settings.QuietUntil;
    times.From = ReadQuietTime(Settings.QuietFrom);
    times.To = ReadQuietTime(Settings.QuietTo);
    if (!times.From || !times.To)
        times.From = times.To = std::nullopt;
    times.ResumedUntil = m_resumedUntil;
    return times;
}

bool TQuietHours::IsQuiet(const QDateTime &now) const
{
    return ::IsQuiet(Times(), now);
}

QDateTime TQuietHours::EndsAt(const QDateTime &now) const
{
    return QuietEnd(Times(), now);
}

void TQuietHours::SnoozeFor(const QDateTime &now, int minutes)
{
    m_resumedUntil = QDateTime();
    Settings.QuietUntil = now.addSecs(qint64(minutes) * SecondsPerMinute);
}

QDateTime TQuietHours::NextMorning(const QDateTime &now) const
{
    const int morning = Times().To.value_or(MorningHour * SecondsPerHour);
    const QDateTime today = LocalMoment(now.date(), morning);
    return now < today ? today : LocalMoment(now.date().addDays(1), morning);
}

void TQuietHours::SnoozeUntilTomorrow(const QDateTime &now)
{
    m_resumedUntil = QDateTime();
    Settings.QuietUntil = NextMorning(now);
}

void TQuietHours::Resume(const QDateTime &now)
{
    Settings.QuietUntil = QDateTime();
    TQuietTimes times = Times();
    times.ResumedUntil = QDateTime();
    m_resumedUntil = HoursQuiet(times, now) ? HoursEnd(times, now) : QDateTime();
}

std::optional<int> ReadQuietTime(const QString &text)
{
    return text.trimmed().isEmpty() ? std::nullopt : ReadTimeOfDay(text);
}

QString QuietTimeText(int secondsOfDay)
{
    return QTime(0, 0).addSecs(secondsOfDay).toString(QStringLiteral("HH:mm"));
}

QDateTime LocalMoment(const QDate &day, int secondsOfDay)
{
    const QTime time = QTime(0, 0).addSecs(secondsOfDay);
    QDateTime moment(day, time);
    // Gaps start and end on whole minutes: step to the first that exists.
    const QTime minute(time.hour(), time.minute());
    for (int step = 1; !moment.isValid() && step <= LongestGapMinutes; ++step) {
        const QTime later = minute.addSecs(step * SecondsPerMinute);
        moment = later < minute ? QDateTime(day.addDays(1), later) : QDateTime(day, later);
    }
    return moment;
}
