#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWindow>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "uClock.h"
#include "uHistory.h"
#include "uSettings.h"

namespace {

constexpr int SampleInterval = 5; // a full day: 17280 samples
constexpr int GraphWidth = 864;
constexpr int GraphHeight = 48;

// A fixed day in a private program folder, so runs never touch real history.
struct TBenchDay
{
    QTemporaryDir Dir;

    TBenchDay()
    {
        ProgramDir = Dir.path() + QLatin1Char('/');
        SetDay(QDate(2026, 12, 7));
    }
    // The clock stands at the end of `date`.
    static void SetDay(QDate date)
    {
        Clock::SetNowFunction([date] { return QDateTime(date, QTime(23, 59, 0)); });
    }
    ~TBenchDay() { Clock::SetNowFunction(nullptr); }
};

// Fills `count` samples from midnight on, with day totals that rise through the day like
// real ones, or (noisy) that jump at every sample: the worst case for the minutes line.
void FillDay(THistoryGraph &history, int count, bool noisy = false)
{
    const qint64 start = history.DayStart();
    for (int i = 0; i < count; ++i) {
        const int seconds = noisy ? (i * 7919) % 100000 : i * 3;
        history.AddSample(start + qint64(i) * SampleInterval, (i * 7) % 41, i / 10, seconds, i * 2);
    }
}

void BM_SaveDay(benchmark::State &state)
{
    TBenchDay day;
    THistoryGraph history;
    FillDay(history, THistoryGraph::Capacity);
    for (auto _ : state) {
        if (!history.SaveDay())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveDay)->Unit(benchmark::kMillisecond);

void BM_LoadDay(benchmark::State &state)
{
    TBenchDay day;
    {
        THistoryGraph writer;
        FillDay(writer, THistoryGraph::Capacity);
        writer.SaveDay();
    }
    THistoryGraph history;
    for (auto _ : state) {
        history.LoadDay();
        benchmark::DoNotOptimize(history.Count());
    }
    if (history.Count() != THistoryGraph::Capacity)
        state.SkipWithError("load incomplete");
}
BENCHMARK(BM_LoadDay)->Unit(benchmark::kMillisecond);

// Arguments: the series (0 one bar per sample, 2 one polyline), noisy figures, and a full
// yesterday whose curve is drawn behind today's.
void BM_Redraw(benchmark::State &state)
{
    TBenchDay day;
    if (state.range(2) != 0) {
        TBenchDay::SetDay(QDate(2026, 12, 6));
        THistoryGraph yesterday;
        FillDay(yesterday, THistoryGraph::Capacity, state.range(1) != 0);
        yesterday.SaveDay();
        TBenchDay::SetDay(QDate(2026, 12, 7));
    }
    THistoryGraph history;
    if (state.range(2) != 0 && history.Yesterday().Count() != THistoryGraph::Capacity)
        state.SkipWithError("yesterday not read");
    FillDay(history, THistoryGraph::Capacity, state.range(1) != 0);
    QWidget target;
    target.resize(GraphWidth, GraphHeight);
    history.Attach(&target);
    history.SetSeries(int(state.range(0)));
    for (auto _ : state)
        history.Redraw();
}
BENCHMARK(BM_Redraw)
    ->Args({THistoryGraph::SeriesOnline, 0, 0})
    ->Args({THistoryGraph::SeriesMinutes, 0, 0})
    ->Args({THistoryGraph::SeriesMinutes, 1, 0})
    ->Args({THistoryGraph::SeriesOnline, 0, 1})
    ->Args({THistoryGraph::SeriesMinutes, 1, 1})
    ->ArgNames({"series", "noisy", "yesterday"})
    ->Unit(benchmark::kMillisecond);

// One sample below the scale top: one bar or segment and a view update. Arguments: the
// series, and whether the shown strip is repainted after each sample (the copy to screen).
void BM_AddSample(benchmark::State &state)
{
    TBenchDay day;
    constexpr int HalfDay = THistoryGraph::Capacity / 2;
    {
        THistoryGraph writer;
        FillDay(writer, HalfDay);
        writer.AddSample(writer.DayStart() + HalfDay * SampleInterval, 1000, 100000, 100000, 100000);
        writer.SaveDay();
    }
    THistoryGraph history;
    QWidget target;
    target.resize(GraphWidth, GraphHeight);
    const bool paint = state.range(1) != 0;
    if (paint) {
        target.show();
        // Let the window be exposed, or repaint() would have nothing to paint.
        for (int i = 0; i < 10 && !target.windowHandle()->isExposed(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!target.windowHandle()->isExposed())
            state.SkipWithError("strip not exposed");
    }
    history.Attach(&target);
    history.SetSeries(int(state.range(0)));
    qint64 time = history.DayStart() + (HalfDay + 1) * SampleInterval;
    for (auto _ : state) {
        if (history.Count() == THistoryGraph::Capacity) {
            state.PauseTiming();
            history.LoadDay();
            time = history.DayStart() + (HalfDay + 1) * SampleInterval;
            history.AddSample(time, 1, 1, 1, 1);
            state.ResumeTiming();
        }
        history.AddSample(time, 5, 50, 50, 50);
        if (paint)
            target.repaint();
        time += SampleInterval;
    }
}
BENCHMARK(BM_AddSample)
    ->ArgsProduct({{THistoryGraph::SeriesOnline, THistoryGraph::SeriesMinutes}, {0, 1}})
    ->ArgNames({"series", "paint"})
    ->Unit(benchmark::kMicrosecond);

} // namespace
