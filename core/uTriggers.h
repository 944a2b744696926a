#pragma once

#include <QString>

#include <array>
#include <optional>

#include "uGlobal.h"

class TIniFile;

// User-defined alerts on today's figures: stored one line per trigger in the settings
// file, evaluated by the monitor after every processed callers reply, reset at the day
// change. The triggers themselves live in the global list `TTriggers`.

namespace TriggerWhen {
constexpr int Always = 0;  // "altijd"
constexpr int Before = 1;  // "voor"
constexpr int At = 2;      // "op"
constexpr int After = 3;   // "na"
constexpr int Between = 4; // "tussen"
} // namespace TriggerWhen

namespace TriggerCompare {
constexpr int Less = 0;
constexpr int LessOrEqual = 1;
constexpr int Equal = 2;
constexpr int GreaterOrEqual = 3;
constexpr int Greater = 4;
// Today's figure against a percentage of yesterday's at the same time of day; for the
// figures the day file holds (Online, Bellers, Minuten) only.
constexpr int BelowYesterday = 5;  // "% onder gisteren"
constexpr int AboveYesterday = 6;  // "% boven gisteren"
} // namespace TriggerCompare

namespace TriggerAction {
constexpr int Sound = 0;   // "Geluid"
constexpr int Program = 1; // "Programma"
constexpr int Mail = 2;    // "E-mail"
constexpr int Url = 3;     // "URL"
constexpr int Balloon = 4; // "Ballontip"
} // namespace TriggerAction

namespace TriggerRepeat {
constexpr int OnceUntilNext = 0; // "Eenmalig tot volgende trigger"
constexpr int OncePerDay = 1;    // "Eenmaal per etmaal"
constexpr int Continuous = 2;    // "Continue na trigger"
} // namespace TriggerRepeat

namespace TriggerState {
constexpr int NotEvaluated = 0;
constexpr int ConditionFalse = 1;
constexpr int ConditionTrue = 2;
} // namespace TriggerState

constexpr int TriggerFigureCount = 12; // `What` 0..11
inline constexpr char TriggerSection[] = "triggers";
inline constexpr char TriggerBalloonTitle[] = "Trigger";
constexpr int TriggerBalloonMaxLength = 255;
constexpr int TriggerBalloonTimeoutMs = 5000;

// The figures a comparison with yesterday uses, indexed by `What` 0..2: today's as the day
// file holds them (every caller online, the day's callers, its minutes) and yesterday's
// at the same time of day, none without a sample of yesterday within ten minutes.
constexpr int YesterdayFigureCount = 3;
struct TTriggerContext
{
    std::array<double, YesterdayFigureCount> Today{};
    std::array<std::optional<double>, YesterdayFigureCount> Yesterday{};
    // While quiet, sounds and balloons are left out; the trigger counts as fired all the same.
    bool Quiet = false;
};

// Local-clock seconds of the last evaluated trigger; "op" looks back to it. Never reset.
extern qint64 LastTriggerTime;

// Reads a stored line into `trigger`; missing integers read as 0, a missing last field as
// inactive. Fields beyond nine come from a "|" inside the action text and are kept in it;
// false (the line is not to be used; its first nine fields are read for showing) when
// they cannot have come from there.
bool ParseTrigger(TTrigger &trigger, const QString &line);
// "WhenKind|WhenText|What|Compare|Value|Action|ActionParam|RepeatType|Active"; a line
// that could not be read, as it stood.
QString TriggerLine(const TTrigger &trigger);

// A missing section leaves the list as it is; an existing one replaces it. A line that
// cannot be read is kept inactive, to be written back as it stands.
void LoadTriggers(const TIniFile &ini);
// Replaces the section whole with keys "0".."count-1".
void SaveTriggers(TIniFile &ini);

TTrigger *AddTrigger(TTriggerList &list, const QString &whenText, const QString &value,
                     const QString &actionParam, int whenKind, int what, int compare, int action,
                     bool active, int repeatType);
void ResetTriggerStates();
// `pollTime` is the poll's local-clock time; only the Data and Voice access types count.
void EvaluateTriggers(qint64 pollTime, const TFigureBlock &figures, const TTriggerContext &context = {});
// Whether the comparison can be made for this figure: the comparisons with yesterday only
// for the figures the day file holds.
bool IsValidCompare(int what, int compare);

// The watched figure `what` (0..11); none for any other code.
std::optional<double> TriggerFigure(int what, const TFigureBlock &figures);
// Whether a time text can be read for this kind of time condition: one time for "voor",
// "op" and "na", two for "tussen"; any text for "altijd" and an empty text for every kind.
bool IsValidWhenText(int whenKind, const QString &whenText);
// Seconds after midnight of "H:mm", "H:mm:ss" or the locale's short time form, surrounding
// blanks allowed; none when the text is no time of day.
std::optional<int> ReadTimeOfDay(const QString &text);
