#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include "uClock.h"
#include "uDayStore.h"
#include "uHistory.h"
#include "uHistoryBox.h"
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
void FillDay(TDayStore &history, int count, bool noisy = false)
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
    TDayStore history;
    FillDay(history, TDayStore::Capacity);
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
        TDayStore writer;
        FillDay(writer, TDayStore::Capacity);
        writer.SaveDay();
    }
    TDayStore history;
    for (auto _ : state) {
        history.LoadDay();
        benchmark::DoNotOptimize(history.Count());
    }
    if (history.Count() != TDayStore::Capacity)
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
        TDayStore yesterday;
        FillDay(yesterday, TDayStore::Capacity, state.range(1) != 0);
        yesterday.SaveDay();
        TBenchDay::SetDay(QDate(2026, 12, 7));
    }
    TDayStore store;
    if (state.range(2) != 0 && store.Yesterday().Count() != TDayStore::Capacity)
        state.SkipWithError("yesterday not read");
    FillDay(store, TDayStore::Capacity, state.range(1) != 0);
    THistoryGraph history(store);
    history.Attach(GraphWidth, GraphHeight);
    history.SetSeries(int(state.range(0)));
    for (auto _ : state)
        history.Redraw();
}
BENCHMARK(BM_Redraw)
    ->Args({THistorySample::SeriesOnline, 0, 0})
    ->Args({THistorySample::SeriesMinutes, 0, 0})
    ->Args({THistorySample::SeriesMinutes, 1, 0})
    ->Args({THistorySample::SeriesOnline, 0, 1})
    ->Args({THistorySample::SeriesMinutes, 1, 1})
    ->ArgNames({"series", "noisy", "yesterday"})
    ->Unit(benchmark::kMillisecond);

// One sample below the scale top: one bar or segment and a view update. Arguments: the
// series, and whether the shown strip is repainted after each sample (the copy to screen).
void BM_AddSample(benchmark::State &state)
{
    TBenchDay day;
    constexpr int HalfDay = TDayStore::Capacity / 2;
    {
        TDayStore writer;
        FillDay(writer, HalfDay);
        writer.AddSample(writer.DayStart() + HalfDay * SampleInterval, 1000, 100000, 100000, 100000);
        writer.SaveDay();
    }
    TDayStore store;
    THistoryGraph history(store);
    THistoryBox target;
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
    target.ShowGraph(&history);
    history.SetSeries(int(state.range(0)));
    qint64 time = store.DayStart() + (HalfDay + 1) * SampleInterval;
    for (auto _ : state) {
        if (store.Count() == TDayStore::Capacity) {
            state.PauseTiming();
            store.LoadDay();
            time = store.DayStart() + (HalfDay + 1) * SampleInterval;
            store.AddSample(time, 1, 1, 1, 1);
            state.ResumeTiming();
        }
        store.AddSample(time, 5, 50, 50, 50);
        if (paint)
            target.repaint();
        time += SampleInterval;
    }
}
BENCHMARK(BM_AddSample)
    ->ArgsProduct({{THistorySample::SeriesOnline, THistorySample::SeriesMinutes}, {0, 1}})
    ->ArgNames({"series", "paint"})
    ->Unit(benchmark::kMicrosecond);

} // namespace
