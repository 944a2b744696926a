#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "uClock.h"
#include "uMonthStore.h"
#include "uPeriods.h"

namespace {

constexpr int YearDays = 365;
constexpr int SampleInterval = 10; // the default poll interval: 8640 lines a day
constexpr int DaySamples = 86400 / SampleInterval;

// A year of whole day files in a private folder, each as large as a day at the default
// interval makes it.
struct TBenchYear
{
    QTemporaryDir Dir;
    QDate Today{2026, 12, 7};
    bool Ok = true;

    TBenchYear()
    {
        QDir().mkpath(Dir.path() + QStringLiteral("/History"));
        std::vector<THistorySample> samples(DaySamples);
        for (QDate d = Today.addDays(1 - YearDays); d <= Today; d = d.addDays(1)) {
            const qint64 start = Clock::LocalSeconds(QDateTime(d, QTime(0, 0)));
            for (int i = 0; i < DaySamples; ++i)
                samples[std::size_t(i)] = {qint32(start + qint64(i) * SampleInterval), i % 40, i / 8, i * 3, i * 2};
            QByteArray text;
            FormatDayFile(samples.data(), DaySamples, text);
            QSaveFile file(DayFilePath(Folder(), d));
            Ok = Ok && file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
        }
    }
    QString Folder() const { return Dir.path() + QLatin1Char('/'); }

    // Asks the kernel to drop the files from its cache, so the next read goes to the disk.
    void Evict() const
    {
        for (QDate d = Today.addDays(1 - YearDays); d <= Today; d = d.addDays(1)) {
            QFile file(DayFilePath(Folder(), d));
            if (file.open(QIODevice::ReadOnly))
                posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
        }
    }
};

// Argument: 1 drops the files from the page cache before every load.
void BM_LoadYearOfDays(benchmark::State &state)
{
    TBenchYear year;
    if (!year.Ok) {
        state.SkipWithError("day files not written");
        return;
    }
    const bool cold = state.range(0) != 0;
    TMonthStore store(year.Folder());
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            year.Evict();
            state.ResumeTiming();
        }
        store.Load(year.Today.addDays(1 - YearDays), year.Today);
        benchmark::DoNotOptimize(store.Day(year.Today).Last);
    }
    const TPeriodSum sum = SumOver(store, store.From(), store.To(), TDayFigure::Callers);
    if (sum.Days != YearDays)
        state.SkipWithError("not every day read");
}
BENCHMARK(BM_LoadYearOfDays)->Arg(0)->Arg(1)->ArgName("cold")->Unit(benchmark::kMillisecond);

} // namespace
