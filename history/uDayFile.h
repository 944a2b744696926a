#pragma once

#include <QByteArray>
#include <QtGlobal>

#include "uSettings.h"
#include "uUnits.h"

class QIODevice;

// One poll's headline figures, in the order of a day file line.
struct THistorySample
{
    // The value fields by index, as Value() takes them; the day graph shows one series.
    static constexpr int SeriesOnline = 0;
    static constexpr int SeriesCallers = 1;
    static constexpr int SeriesMinutes = 2;
    static constexpr int SeriesEuro = 3;
    static constexpr int SeriesCount = 4;

    qint32 Time = 0; // local-clock seconds of the poll's start
    qint32 Online = 0;
    qint32 Callers = 0;
    qint32 Seconds = 0;
    qint32 Cents = 0;

    // Online, Callers, Seconds, Cents by index 0..3.
    qint32 Value(int index) const;
};

// The day file: one line "time,online,callers,seconds,cents" per sample, CR LF after
// every line, nothing else.

// The most samples one day holds: one per poll at the shortest interval over the longest
// day, the one on which the clock goes back an hour.
constexpr int DaySampleCapacity = (SecondsPerDay + SecondsPerHour) / MinimumInterval;

// The longest line: five 11-character numbers, four commas, CR LF.
constexpr int DayFileMaxLineLength = 5 * 11 + 4 + 2;

// Appends the lines of `count` samples to `text`.
void FormatDayFile(const THistorySample *samples, int count, QByteArray &text);

// Reads lines (ending at CR LF, LF or CR) into consecutive slots, at most `capacity`, and
// returns how many it filled. Each line is scanned like "%d,%d,%d,%d,%d": blanks before a
// number are skipped, a comma must follow a number directly, and the first mismatch ends
// the line's scan. A line takes its slot however little of it could be read; fields it
// did not supply are 0. A number beyond 32 bits ends the scan like a mismatch. Reads in
// chunks, so a file of any size or content costs bounded memory.
int ReadDayFile(QIODevice &device, THistorySample *into, int capacity);
