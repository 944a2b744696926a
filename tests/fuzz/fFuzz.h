#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: Qt started once (offscreen), a program folder of its
// own, and a property check that counts as a finding like a crash does.

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "Property violated: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace Fuzz {

// Starts a QApplication on the offscreen platform, installs a recording platform, makes
// an empty program folder in a temporary one, makes it the current folder and points
// ProgramDir at it.
void Start(int *argc, char ***argv);
// Sets the program's clock to a fixed time: 7 December 2026, 14:30.
void FixClock();
inline constexpr int FixedSecondOfDay = (14 * 60 + 30) * 60;
// The program folder with its trailing "/".
QString Folder();
QByteArray Bytes(const uint8_t *data, size_t size);
// The text as the settings file writes a value: line breaks as blanks.
QString OneLine(QString text);
// The input as the connector splits a reply: Windows-1252, at CR LF, CR or LF.
QStringList Lines(const QByteArray &bytes);
// Every file under the folder that holds the program folder, relative to the program
// folder ("../x" for one beside it).
QStringList FilesInFolder();
QByteArray ReadFile(const QString &name);
// Writes the file whole, making its folder when it has none.
void WriteFile(const QString &name, const QByteArray &bytes);
// What reached the platform seam since the last call (sounds, opens, balloons, messages).
QStringList TakePlatformEvents();

} // namespace Fuzz
