#pragma once

#include <QDateTime>
#include <QPoint>
#include <QString>

#include "uUnits.h"

inline constexpr char SettingsFileName[] = "bvsettings.ini";
inline constexpr char DefaultFetchUrl[] = "http://webmaster.belvora.example/";
inline constexpr char DefaultVersionUrl[] = "http://www.belvora.example/bvmonitor.ver";
inline constexpr char DefaultUpdateUrl[] = "http://www.belvora.example/update.php";
// How `sounds`/`quietuntil` is written: local time, as the user reads it.
inline constexpr char QuietUntilFormat[] = "yyyy-MM-dd HH:mm:ss";

constexpr int DefaultInterval = 10;
constexpr int MinimumInterval = 5;
// A hand-edited huge interval would overflow the timer's milliseconds.
constexpr int MaximumInterval = SecondsPerDay;
// The small counter window opens this far from the primary screen's right edge.
constexpr int SmallWindowRightOffset = 410;
// The history graph's paint box at the default size: below 50 pixels it labels with tiny glyphs.
constexpr int DefaultGraphHeight = 48;
// Used when no screen can be asked (a program without a GUI, a test).
constexpr int FallbackScreenWidth = 1024;

// Every user setting; one process-wide value, `Settings`.
struct TSettings
{
    int Interval = DefaultInterval;
    QString SoundUp;
    QString SoundDown;
    bool SoundOn = true;
    QPoint SmallPos;
    QPoint LargePos;
    int LargeW = 640;
    int LargeH = 117;
    bool ShowCalls = true;
    bool ShowOnline = true;
    bool ShowMinutes = true;
    QString Key;
    QString Password;
    QString FetchUrl;
    bool MainFG = true;
    bool MiniFG = true;
    bool NoMini = false;
    bool BalloonTips = false;
    bool Graph = true;
    bool Info = false;
    int List = 0;
    int GraphH = DefaultGraphHeight;
    int Debug = 0;
    int ChartLabels = 4;
    int ChartItem = 0;
    int ChartType = 7;
    // Read from the file, never written back, like FetchUrl.
    QString VersionUrl;
    QString UpdateUrl;
    // Added after the original set of keys; older versions ignore them.
    bool ShowYesterday = true;      // the day graph draws yesterday's curve behind today's
    QDateTime QuietUntil;           // end of a snooze, local time; invalid: none
    QString QuietFrom;              // daily quiet hours "HH:mm"; both empty: none
    QString QuietTo;

    bool operator==(const TSettings &) const = default;
};

extern TSettings Settings;
// The program folder with a trailing "/".
extern QString ProgramDir;
extern QString AppVersion;

// The folder DefaultProgramDir() chooses unless a test names another.
void LoadSettings(const QString &programDir = QString());
bool SaveSettings();
void PrepareFolders();

QString SettingsFilePath();
int PrimaryScreenWidth();
