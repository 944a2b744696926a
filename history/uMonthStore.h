#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

#include "uDayTotals.h"

// The figures the overview sums per day, as a day file holds them.
enum class TDayFigure { Callers, Seconds, Cents };

// The totals of a span of days, read from their day files (only each file's tail), with
// today's totals set live from the running day. A day without a file stays a gap: it has
// no value, which is not the same as zero. The overview owns one.
class TMonthStore final
{
public:
    // `programDir` ends in a separator; the files lie in its "History/".
    explicit TMonthStore(QString programDir);

    // Forgets what was held and reads the files of `from` to `to`.
    void Load(const QDate &from, const QDate &to);
    // The running day's newest sample stands for that day's file.
    void SetLive(const QDate &date, const THistorySample &sample);

    QDate From() const { return m_from; }
    QDate To() const { return m_to; }
    // The day as read; an empty day for a date outside the span.
    const TDayTotal &Day(const QDate &date) const;
    std::optional<qint64> Value(const QDate &date, TDayFigure figure) const;
    // The figure of a day at a time of day (a sample within ten minutes of it), to set
    // beside today so far; reads that day's file whole.
    std::optional<qint64> ValueAt(const QDate &date, int secondOfDay, TDayFigure figure) const;

private:
    QString m_programDir;
    QDate m_from;
    QDate m_to;
    std::vector<TDayTotal> m_days;
};

qint64 FigureOf(const THistorySample &sample, TDayFigure figure);
