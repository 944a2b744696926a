#pragma once

#include <QDateTime>

#include <optional>

// When the program keeps quiet (no caller sounds, no sound or balloon triggers, no
// callers balloons): during a snooze the user chose in the tray menu, which survives a
// restart, and during daily quiet hours, which may span midnight.
struct TQuietTimes
{
    QDateTime SnoozeUntil;        // invalid: no snooze
    std::optional<int> From;      // daily quiet hours, seconds after midnight; both or none
    std::optional<int> To;
    QDateTime ResumedUntil;       // the user turned sound on again inside the quiet hours
};

bool IsQuiet(const TQuietTimes &times, const QDateTime &now);
// The moment the quiet that holds now ends; invalid when it is not quiet now.
QDateTime QuietEnd(const TQuietTimes &times, const QDateTime &now);

// The program's quiet state: the snooze and the quiet hours are read from the settings at
// every question, so the options dialog's changes count at once; the user's "on again"
// inside the quiet hours lasts for this run only.
class TQuietHours final
{
public:
    // "Stil tot morgen" lasts until the morning: the end of the quiet hours where they are
    // set, else this hour.
    static constexpr int MorningHour = 7;

    TQuietTimes Times() const;
    bool IsQuiet(const QDateTime &now) const;
    QDateTime EndsAt(const QDateTime &now) const;
    void SnoozeFor(const QDateTime &now, int minutes);
    // The next morning after `now`: later today in the small hours, else tomorrow.
    QDateTime NextMorning(const QDateTime &now) const;
    void SnoozeUntilTomorrow(const QDateTime &now);
    // Ends a snooze, and the quiet hours that hold now until they end by themselves.
    void Resume(const QDateTime &now);

private:
    QDateTime m_resumedUntil;
};

// "HH:mm" in the settings file; none for an empty or unreadable text.
std::optional<int> ReadQuietTime(const QString &text);
QString QuietTimeText(int secondsOfDay);
// The local moment of that time of day; a time the clock skips in spring (inside the
// gap) is the first moment after the gap.
QDateTime LocalMoment(const QDate &day, int secondsOfDay);
