#include "uSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include "uDataFolder.h"
#include "uIniFile.h"
#include "uPayout.h"
#include "uTriggers.h"

TSettings Settings;
QString ProgramDir;
QString AppVersion = QStringLiteral(BV_APP_VERSION);

namespace {

const QString SectionSettings = QStringLiteral("settings");
const QString SectionSounds = QStringLiteral("sounds");
const QString SectionWindow = QStringLiteral("window");
const QString SectionChart = QStringLiteral("chart");
const QString SectionDebug = QStringLiteral("debug");
const QString UnknownVersion = QStringLiteral("?");

QString WithSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void MoveFiles(const QString &pattern, const QString &targetDir)
{
    const QDir dir(ProgramDir);
    const QStringList names = dir.entryList({pattern}, QDir::Files);
    for (const QString &name : names) {
        // A file whose move fails (the target exists, say) stays where it is.
        QFile::rename(ProgramDir + name, ProgramDir + targetDir + QLatin1Char('/') + name);
    }
}

} // namespace

QString SettingsFilePath()
{
    return ProgramDir + QLatin1String(SettingsFileName);
}

int PrimaryScreenWidth()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return screen->geometry().width();
    }
    return FallbackScreenWidth;
}

void LoadSettings(const QString &programDir)
{
    ProgramDir = WithSlash(programDir.isEmpty() ? DefaultProgramDir() : programDir);
    TIniFile ini(SettingsFilePath());
    ini.SetOwnerOnly(true);
    TSettings &s = Settings;

    s.Interval = qBound(MinimumInterval, ini.ReadInteger(SectionSettings, QStringLiteral("Interval"), DefaultInterval),
                        MaximumInterval);

    s.SmallPos = QPoint(PrimaryScreenWidth() - SmallWindowRightOffset, 0);
    s.LargePos = QPoint(0, 0);
    s.LargeW = 640;
    s.LargeH = 117;
    s.ShowCalls = s.ShowOnline = s.ShowMinutes = true;

    s.SoundUp = ini.ReadString(SectionSounds, QStringLiteral("Up"));
    s.SoundDown = ini.ReadString(SectionSounds, QStringLiteral("Down"));
    s.SoundOn = ini.ReadBool(SectionSounds, QStringLiteral("on"), true);
    s.QuietUntil = QDateTime::fromString(ini.ReadString(SectionSounds, QStringLiteral("quietuntil")),
                                         QLatin1String(QuietUntilFormat));
    s.QuietFrom = ini.ReadString(SectionSounds, QStringLiteral("quietfrom"));
    s.QuietTo = ini.ReadString(SectionSounds, QStringLiteral("quietto"));

    s.Key = ini.ReadString(SectionSettings, QStringLiteral("key"));
    s.Password = ini.ReadString(SectionSettings, QStringLiteral("password"));
    s.FetchUrl = ini.ReadString(SectionSettings, QStringLiteral("fetchurl"), QLatin1String(DefaultFetchUrl));
    s.VersionUrl = ini.ReadString(SectionSettings, QStringLiteral("versionurl"), QLatin1String(DefaultVersionUrl));
    s.UpdateUrl = ini.ReadString(SectionSettings, QStringLiteral("updateurl"), QLatin1String(DefaultUpdateUrl));

    s.SmallPos.setX(ini.ReadInteger(SectionWindow, QStringLiteral("smallX"), s.SmallPos.x()));
    s.SmallPos.setY(ini.ReadInteger(SectionWindow, QStringLiteral("smallY"), s.SmallPos.y()));
    s.LargePos.setX(ini.ReadInteger(SectionWindow, QStringLiteral("largeX"), s.LargePos.x()));
    s.LargePos.setY(ini.ReadInteger(SectionWindow, QStringLiteral("largeY"), s.LargePos.y()));
    s.LargeW = ini.ReadInteger(SectionWindow, QStringLiteral("largeW"), s.LargeW);
    s.LargeH = ini.ReadInteger(SectionWindow, QStringLiteral("largeH"), s.LargeH);
    s.ShowOnline = ini.ReadBool(SectionWindow, QStringLiteral("online"), s.ShowOnline);
    s.ShowCalls = ini.ReadBool(SectionWindow, QStringLiteral("calls"), s.ShowCalls);
    s.ShowMinutes = ini.ReadBool(SectionWindow, QStringLiteral("minutes"), s.ShowMinutes);
    s.MainFG = ini.ReadBool(SectionWindow, QStringLiteral("mainFG"), true);
    s.MiniFG = ini.ReadBool(SectionWindow, QStringLiteral("miniFG"), true);
    s.NoMini = ini.ReadBool(SectionWindow, QStringLiteral("NoMini"), false);
    s.BalloonTips = ini.ReadBool(SectionWindow, QStringLiteral("BalloonTips"), false);
    s.Graph = ini.ReadBool(SectionWindow, QStringLiteral("Graph"), true);
    s.Info = ini.ReadBool(SectionWindow, QStringLiteral("Info"), false);
    s.List = ini.ReadInteger(SectionWindow, QStringLiteral("list"), 0);
    s.ShowYesterday = ini.ReadBool(SectionWindow, QStringLiteral("yesterday"), true);
    s.GraphH = ini.ReadInteger(SectionWindow, QStringLiteral("graphH"), DefaultGraphHeight);

    s.ChartType = ini.ReadInteger(SectionChart, QStringLiteral("type"), 7);
    s.ChartLabels = ini.ReadInteger(SectionChart, QStringLiteral("labels"), 4);
    s.ChartItem = ini.ReadInteger(SectionChart, QStringLiteral("item"), 0);

    s.Debug = ini.ReadInteger(SectionDebug, QStringLiteral("options"), 0);

    LoadTriggers(ini);
    LoadPayoutRules(ini);

    const QString version = ini.ReadString(SectionSettings, QStringLiteral("version"), UnknownVersion);
    if (version != AppVersion) {
        PrepareFolders();
        ini.WriteString(SectionSettings, QStringLiteral("version"), AppVersion);
        ini.Save();
    }
}

bool SaveSettings()
{
    // Re-read the file so whatever we do not own (fetchurl, debug, version, unknown
    // sections, hand edits since start) is written back as it stands.
    TIniFile ini(SettingsFilePath());
    ini.SetOwnerOnly(true);
    const TSettings &s = Settings;

    ini.WriteInteger(SectionSettings, QStringLiteral("Interval"), s.Interval);
    ini.WriteString(SectionSounds, QStringLiteral("Up"), s.SoundUp);
    ini.WriteString(SectionSounds, QStringLiteral("Down"), s.SoundDown);
    ini.WriteBool(SectionSounds, QStringLiteral("on"), s.SoundOn);
    ini.WriteString(SectionSettings, QStringLiteral("key"), s.Key);
    ini.WriteString(SectionSettings, QStringLiteral("password"), s.Password);
    ini.WriteInteger(SectionWindow, QStringLiteral("smallX"), s.SmallPos.x());
    ini.WriteInteger(SectionWindow, QStringLiteral("smallY"), s.SmallPos.y());
    ini.WriteInteger(SectionWindow, QStringLiteral("largeX"), s.LargePos.x());
    ini.WriteInteger(SectionWindow, QStringLiteral("largeY"), s.LargePos.y());
    ini.WriteInteger(SectionWindow, QStringLiteral("largeW"), s.LargeW);
    ini.WriteInteger(SectionWindow, QStringLiteral("largeH"), s.LargeH);
    ini.WriteBool(SectionWindow, QStringLiteral("online"), s.ShowOnline);
    ini.WriteBool(SectionWindow, QStringLiteral("calls"), s.ShowCalls);
    ini.WriteBool(SectionWindow, QStringLiteral("minutes"), s.ShowMinutes);
    ini.WriteBool(SectionWindow, QStringLiteral("mainFG"), s.MainFG);
    ini.WriteBool(SectionWindow, QStringLiteral("miniFG"), s.MiniFG);
    ini.WriteBool(SectionWindow, QStringLiteral("NoMini"), s.NoMini);
    ini.WriteBool(SectionWindow, QStringLiteral("BalloonTips"), s.BalloonTips);
    ini.WriteBool(SectionWindow, QStringLiteral("Graph"), s.Graph);
    ini.WriteBool(SectionWindow, QStringLiteral("Info"), s.Info);
    ini.WriteInteger(SectionWindow, QStringLiteral("list"), s.List);
    ini.WriteInteger(SectionWindow, QStringLiteral("graphH"), s.GraphH);
    ini.WriteInteger(SectionChart, QStringLiteral("type"), s.ChartType);
    ini.WriteInteger(SectionChart, QStringLiteral("labels"), s.ChartLabels);
    ini.WriteInteger(SectionChart, QStringLiteral("item"), s.ChartItem);
    ini.WriteString(SectionSounds, QStringLiteral("quietuntil"),
                    s.QuietUntil.isValid() ? s.QuietUntil.toString(QLatin1String(QuietUntilFormat)) : QString());
    ini.WriteString(SectionSounds, QStringLiteral("quietfrom"), s.QuietFrom);
    ini.WriteString(SectionSounds, QStringLiteral("quietto"), s.QuietTo);
    ini.WriteBool(SectionWindow, QStringLiteral("yesterday"), s.ShowYesterday);

    SaveTriggers(ini);
    SavePayoutRules(ini);

    return ini.Save();
}

void PrepareFolders()
{
    const QDir dir(ProgramDir);
    dir.mkpath(QStringLiteral("Bitmaps"));
    dir.mkpath(QStringLiteral("History"));
    MoveFiles(QStringLiteral("*.bmp"), QStringLiteral("Bitmaps"));
    MoveFiles(QStringLiteral("*.hlg"), QStringLiteral("History"));
}
