#pragma once

#include <QString>

// Support trace "bvdebug.log" in the current working folder. The file is opened and
// closed for every line so it can be read or deleted while the program runs.
// A line that cannot be written is dropped: logging never disturbs a request or a poll.
// With the debug setting 0 no file is made; a level-0 line then goes to standard error.
namespace DebugLevel {
constexpr int Always = 0;
constexpr int Requests = 2;
constexpr int Data = 4;
} // namespace DebugLevel

// Bit 1 of the debug setting is not a log level: it shows the connector's details.
constexpr int DebugDetailsBit = 1;

inline constexpr char DebugLogFileName[] = "bvdebug.log";

bool DebugLogEnabled(int level);
void DebugLog(int level, const QString &message);
