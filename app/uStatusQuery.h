#pragma once

#include <QString>

#include <optional>

// `bvmonitor --status`: asks the monitor that runs on this user's data folder for its
// figures through the one-instance socket, without a window or a display, and prints
// them for a panel: the JSON line as it came, or filled into a template.
namespace StatusQuery {

// No monitor runs on the folder, or it gave no usable answer.
constexpr int NotRunning = 3;
// How long a running monitor may take; it answers from figures it holds.
constexpr int AnswerTimeoutMs = 1000;

// Prints the status (to standard output) or why there is none (to standard error) and
// gives the exit status. `format` none: the JSON line.
int Run(const std::optional<QString> &format);

} // namespace StatusQuery
