#pragma once

#include <QDate>
#include <QString>

#include <optional>

#include "uDayFile.h"

// The day file of `date` in the program folder: "History/dd-mm-yyyy.hlg".
QString DayFilePath(const QString &programDir, const QDate &date);

// What a day file says of the whole day. The figures in a sample count from midnight, so
// the day's last good sample holds its totals: only the file's tail is read.
struct TDayTotal
{
    bool Present = false;                 // the file exists
    bool Damaged = false;                 // something after the last good sample, or none
    std::optional<THistorySample> Last;   // the last good sample: the day's totals
};

// A good line is five numbers within 32 bits, the time inside the day that starts at
// `dayStart` and no figure below zero, ended by a line end (a file cut short ends
// without one). Never reads more than the last few megabytes of a file.
TDayTotal ReadDayTotal(const QString &fileName, qint64 dayStart);
