#include "uDayTotals.h"

#include <algorithm>
#include <charconv>

#include <QFile>

#include "uClock.h"

namespace {

constexpr qint64 FirstTail = 4 * 1024;
// More than a whole day of good lines: a file larger than this ends in rubbish anyway.
constexpr qint64 LongestTail = 4 * 1024 * 1024;
constexpr int FieldCount = 5;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::optional<THistorySample> GoodSample(const char *begin, const char *end, qint64 dayStart)
{
    qint32 fields[FieldCount] = {};
    const char *p = begin;
    for (int i = 0; i < FieldCount; ++i) {
        while (p < end && IsBlank(*p))
            ++p;
        // A sign must stand right before a digit, as in formatted input.
        if (p < end && *p == '+' && p + 1 < end && *(p + 1) >= '0' && *(p + 1) <= '9')
            ++p;
        const auto [next, error] = std::from_chars(p, end, fields[i]);
        if (error != std::errc())
            return std::nullopt;
        p = next;
        if (i + 1 < FieldCount) {
            if (p == end || *p != ',')
                return std::nullopt;
            ++p;
        }
    }
    while (p < end && IsBlank(*p))
        ++p;
    const THistorySample s{fields[0], fields[1], fields[2], fields[3], fields[4]};
    if (p != end || s.Time < dayStart || s.Time >= dayStart + SecondsPerDay || s.Online < 0
        || s.Callers < 0 || s.Seconds < 0 || s.Cents < 0)
        return std::nullopt;
    return s;
}

// Scans the lines of `tail`; the first is cut unless the tail starts the file. False when
// the tail holds no whole line to judge.
bool ScanTail(const QByteArray &tail, bool fromFileStart, qint64 dayStart, TDayTotal &total)
{
    const char *p = tail.constData();
    const char *const end = p + tail.size();
    if (!fromFileStart) {
        p = std::find_if(p, end, IsLineEnd);
        if (p == end)
            return false;
        p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
    }
    bool badAfter = false;
    while (p < end) {
        const char *lineEnd = std::find_if(p, end, IsLineEnd);
        if (lineEnd == end) {
            // Cut short while it was written.
            badAfter = true;
            break;
        }
        if (const auto sample = GoodSample(p, lineEnd, dayStart)) {
            total.Last = sample;
            badAfter = false;
        } else {
            badAfter = true;
        }
        p = lineEnd + ((*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n') ? 2 : 1);
    }
    total.Damaged = badAfter || !total.Last;
    return total.Last.has_value();
}

} // namespace

QString DayFilePath(const QString &programDir, const QDate &date)
{
    // Concatenated, not arg()-chained: a "%2" in the folder's name must stay as it is.
    return programDir + QStringLiteral("History/") + date.toString(QStringLiteral("dd-MM-yyyy"))
        + QStringLiteral(".hlg");
}

TDayTotal ReadDayTotal(const QString &fileName, qint64 dayStart)
{
    TDayTotal total;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return total;
    total.Present = true;
    const qint64 size = file.size();
    if (size == 0)
        return total; // a day without samples
    for (qint64 tail = FirstTail;; tail *= 2) {
        const qint64 start = std::max<qint64>(0, size - std::min(tail, LongestTail));
        if (!file.seek(start))
            break;
        const QByteArray bytes = file.read(size - start);
        total = TDayTotal{true, false, std::nullopt};
        if (ScanTail(bytes, start == 0, dayStart, total) || start == 0 || tail >= LongestTail)
            break;
    }
    total.Damaged = total.Damaged || !total.Last;
    return total;
}
