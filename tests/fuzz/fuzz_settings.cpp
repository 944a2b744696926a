// The settings file, read, written and read again, with its triggers and payout rules.
//
// Input: the whole file.

#include "fFuzz.h"

#include <QFile>

#include "uGlobal.h"
#include "uPayout.h"
#include "uSettings.h"
#include "uTriggers.h"

namespace {

// Everything the program keeps of the file, as text.
QStringList Snapshot()
{
    const TSettings &s = Settings;
    QStringList all{QString::number(s.Interval), s.SoundUp, s.SoundDown, QString::number(s.SoundOn),
                    QString::number(s.SmallPos.x()), QString::number(s.SmallPos.y()),
                    QString::number(s.LargePos.x()), QString::number(s.LargePos.y()), QString::number(s.LargeW),
                    QString::number(s.LargeH), QString::number(s.ShowCalls), QString::number(s.ShowOnline),
                    QString::number(s.ShowMinutes), s.Key, s.Password, s.FetchUrl, QString::number(s.MainFG),
                    QString::number(s.MiniFG), QString::number(s.NoMini), QString::number(s.BalloonTips),
                    QString::number(s.Graph), QString::number(s.Info), QString::number(s.List),
                    QString::number(s.Debug), QString::number(s.ChartLabels), QString::number(s.ChartItem),
                    QString::number(s.ChartType), s.VersionUrl, s.UpdateUrl, QString::number(s.ShowYesterday),
                    s.QuietUntil.toString(QLatin1String(QuietUntilFormat)), s.QuietFrom, s.QuietTo};
    for (const auto &trigger : TTriggers)
        all.append(TriggerLine(*trigger));
    for (const auto &rule : PayoutRules) {
        for (int country = TRateTable::FirstCountry; country <= TRateTable::LastCountry; ++country)
            all.append(PayoutLine(*rule, country));
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::Folder() + QLatin1String(SettingsFileName);
    Fuzz::WriteFile(name, Fuzz::Bytes(data, size));
    Settings = TSettings();
    TTriggers.clear();
    PayoutRules.clear();

    LoadSettings(Fuzz::Folder());
    const QStringList first = Snapshot();
    FUZZ_CHECK(Settings.Interval >= MinimumInterval && Settings.Interval <= MaximumInterval);
    FUZZ_CHECK(SaveSettings());
    const QByteArray written = Fuzz::ReadFile(name);
    // A password is never readable by others.
    if (!Settings.Password.isEmpty())
        FUZZ_CHECK((QFile::permissions(name) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) == 0);

    // What was written reads back the same, and writes the same bytes again. A line break
    // in a value the program writes comes back as a blank; the keys it leaves alone stay.
    TTriggers.clear();
    PayoutRules.clear();
    LoadSettings(Fuzz::Folder());
    const QStringList second = Snapshot();
    FUZZ_CHECK(second.size() == first.size());
    bool same = true;
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (second[i] != first[i] && second[i] != Fuzz::OneLine(first[i])) {
            std::fprintf(stderr, "item %d: \"%s\" read back as \"%s\"\n", int(i), qPrintable(first[i]),
                         qPrintable(second[i]));
            same = false;
        }
    }
    FUZZ_CHECK(same);
    FUZZ_CHECK(SaveSettings());
    FUZZ_CHECK(Fuzz::ReadFile(name) == written);
    return 0;
}
