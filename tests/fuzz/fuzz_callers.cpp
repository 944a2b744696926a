// The callers reply (command 103) with its totals lines, through the monitor's whole
// reply handling: callers, list rows, totals, figures, counters, day sample, triggers.
//
// Input: the reply lines after the command echo; handled twice, as two polls in a row.

#include "fFuzz.h"

#include <QSet>

#include "tTestData.h"
#include "uClock.h"
#include "uDayStore.h"
#include "uMonitor.h"
#include "uPayout.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    AddTestProg(QStringLiteral("AB"), QStringLiteral("Alpha"));
    AddTestProg(QStringLiteral("CD"), QStringLiteral("Delta"));
    TPayoutRule *rule = FindPayoutRule(QString(), true);
    rule->Amounts.Set(-1, -1, 0.25);
    rule->Amounts.Set(0, 2, 1.5);
    ApplyPayoutRules();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static auto *monitor = [] {
        auto *m = new TBelvoraMonitor(nullptr);
        m->Pictures = {AccessTypeCount, CountryCount + 1};
        return m;
    }();
    const TCallerRows &rows = monitor->CallerRows();
    const QStringList lines = QStringList{QStringLiteral("103")} + Fuzz::Lines(Fuzz::Bytes(data, size));
    monitor->NewDay();
    monitor->PollTime = Clock::LocalSecondsNow();
    for (int poll = 0; poll < 2; ++poll) {
        monitor->ProcessCallersReply(lines);

        FUZZ_CHECK(!monitor->Busy);
        TFigureBlock counted;
        QSet<QString> ids;
        for (const auto &caller : monitor->Callers) {
            FUZZ_CHECK(caller->Seen == 1);
            FUZZ_CHECK(rows.RowOf(caller->ListItem) >= 0 && rows.Record(rows.RowOf(caller->ListItem)) == caller.get());
            ids.insert(caller->Id);
            if (caller->Access >= 0 && caller->Access < AccessTypeCount)
                ++counted.OnlineByAccess[caller->Access];
        }
        // One caller per id, one row per caller, and the online figures count them.
        FUZZ_CHECK(ids.size() == qsizetype(monitor->Callers.size()));
        FUZZ_CHECK(rows.RowCount() == int(monitor->Callers.size()));
        FUZZ_CHECK(counted.OnlineByAccess == monitor->Figures.OnlineByAccess);
        QSet<QString> codes;
        int totalsRows = 0;
        for (const auto &totals : monitor->Totals) {
            codes.insert(totals->ProgCode);
            totalsRows += totals->Updated == 1 ? 1 : 0;
        }
        // Every record with figures has its row, and only those.
        FUZZ_CHECK(monitor->TotalsRows().RowCount() == totalsRows);
        FUZZ_CHECK(codes.size() == qsizetype(monitor->Totals.size()));
        FUZZ_CHECK(monitor->NewCallerCount <= 5 || monitor->NewCallersText.isEmpty());
        FUZZ_CHECK(monitor->DayStore().Count() <= TDayStore::Capacity);
    }
    // No triggers are set: nothing from a reply reaches the desktop.
    for (const QString &event : Fuzz::TakePlatformEvents())
        FUZZ_CHECK(event.startsWith(QLatin1String("sound")));
    return 0;
}
