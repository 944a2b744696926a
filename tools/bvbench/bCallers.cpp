#include <QChartView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "bProgrammes.h"
#include "uClock.h"
#include "uListSort.h"
#include "uMonitor.h"
#include "uParser.h"
#include "uPayout.h"
#include "uSettings.h"
#include "uTotalsChart.h"

namespace {

constexpr int ProgrammeCount = 20;
constexpr int CallerCount = 200;
constexpr int TotalsLineCount = 2000;
constexpr int HistoryCallCount = 42000; // a busy month

// A big callers reply as the service sends it: 200 callers and 2,000 totals lines.
QStringList BigReply(int poll)
{
    QStringList lines{QStringLiteral("103")};
    for (int i = 0; i < CallerCount; ++i) {
        lines.append(QStringLiteral("+%1|c%2|Beller %2|%3|1|2|%4|06%2|20261208 101500|%5|1765188900|promo|10.0.0.%6")
                         .arg(ProgCode(i % ProgrammeCount))
                         .arg(i)
                         .arg(i % 18)
                         .arg(i % 17)
                         .arg(poll * 5 + i)
                         .arg(i % 250));
    }
    for (int i = 0; i < TotalsLineCount; ++i) {
        lines.append(QStringLiteral("$%1|%2|%3|%4|%5")
                         .arg(ProgCode(i % ProgrammeCount))
                         .arg(i / ProgrammeCount % 18)
                         .arg(i / ProgrammeCount / 18 % 17)
                         .arg(i + poll)
                         .arg((i + poll) * 60));
    }
    return lines;
}

void BM_CallersReply(benchmark::State &state)
{
    QTemporaryDir dir;
    ProgramDir = dir.path() + QLatin1Char('/');
    FillProgrammes(ProgrammeCount);

    QChartView chart;
    chart.show();
    TTotalsChart totalsChart(chart.chart());
    totalsChart.SetStyle(TTotalsChart::Pie);
    TBelvoraMonitor monitor(nullptr);
    QObject::connect(&monitor, &TBelvoraMonitor::TotalsChanged, [&] {
        QString title;
        totalsChart.Show(title, monitor.ChartPoints(&title));
    });
    monitor.PollTime = Clock::LocalSecondsNow();

    // Two replies that differ, alternated, so every poll changes figures and rows.
    const QStringList replies[2] = {BigReply(0), BigReply(1)};
    monitor.ProcessCallersReply(replies[1]);
    int poll = 0;
    for (auto _ : state) {
        monitor.ProcessCallersReply(replies[poll++ % 2]);
        benchmark::DoNotOptimize(monitor.CallsToday());
    }
    TPProgs.clear();
    PayoutRules.clear();
}

// A month's finished calls read into an empty history, shown as rows and sorted by name.
void BM_CallerHistory(benchmark::State &state)
{
    FillProgrammes(ProgrammeCount);
    QStringList reply{QStringLiteral("108")};
    for (int i = 0; i < HistoryCallCount; ++i) {
        reply.append(QStringLiteral("%1|%2|Beller %2|0|11|22|%3|06%2|20261208 101500|1765188900|20261208 101605|65|promo|10.0.0.1")
                         .arg(ProgCode(i % ProgrammeCount))
                         .arg(i * 7919 % HistoryCallCount)
                         .arg(i % 18));
    }
    for (auto _ : state) {
        TCallerList list;
        TCallerRows rows(CallerColumnCount);
        ParseCallerHistory(list, reply);
        UpdateHistoryRows(list, &rows, {});
        benchmark::DoNotOptimize(SortCallerRows(rows, CaptionColumn, false));
    }
    TPProgs.clear();
}

} // namespace

BENCHMARK(BM_CallersReply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallerHistory)->Unit(benchmark::kMillisecond);
