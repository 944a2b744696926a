#pragma once

#include <QStringList>

#include <optional>

// The command line: --help, --version and --status (with --format) print, in Dutch, and
// end the run without a window or a display; Qt's own options (-platform, -display ...)
// stay Qt's. Anything else is an error on standard error.
namespace CommandLine {

// Before any application object, on the arguments as given: whether they ask only for
// a text, so a core application can answer without a display.
bool AsksForText(const QStringList &arguments);
// With an application object and Qt's Dutch texts installed: prints what the arguments
// ask for and gives the exit status, or nothing when the program should run.
std::optional<int> Answer(const QStringList &arguments);

} // namespace CommandLine
