// The day graph drawn from today's day file and yesterday's behind it, in every series and
// at the sizes it meets, fed further samples, and the day's forecast from yesterday's file.
//
// Input: one byte for the height, one for the width, then the day file (today's and
// yesterday's alike; yesterday keeps only the lines of its own day).

#include "fFuzz.h"

#include <QWidget>

#include "uClock.h"
#include "uForecast.h"
#include "uHistory.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    Fuzz::FixClock();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QByteArray input = Fuzz::Bytes(data, size);
    const THistoryGraph today;
    Fuzz::WriteFile(today.DayFileName(), input.mid(2));
    Fuzz::WriteFile(today.DayFileNameFor(today.DayStart() - Clock::SecondsPerDay), input.mid(2));
    THistoryGraph history;
    QWidget target;
    target.resize(1 + uchar(input[1]) * 4, uchar(input[0]) % 80);
    history.SetShowTimeLabels((uchar(input[0]) & 0x80) == 0);
    history.Attach(&target);
    for (int series = 0; series < THistoryGraph::SeriesCount; ++series) {
        history.SetSeries(series);
        // The scale always reaches the day's highest value of the series it shows.
        if (target.height() > 0)
            FUZZ_CHECK(history.ScaleTop() >= std::max(history.MaxValue(series), history.Yesterday().MaxValue(series)));
        bool number = false;
        history.MaxText().toInt(&number);
        FUZZ_CHECK(number);
        history.MinText().toInt(&number);
        FUZZ_CHECK(number);
        target.grab();
    }
    // Samples that follow, taken from the file's own last values, draw too.
    if (history.Count() > 0) {
        const THistorySample last = history.Sample(history.Count() - 1);
        history.AddSample(history.DayStart() + 86399, last.Cents, last.Online, last.Callers, last.Seconds);
        target.grab();
        // Today as far as yesterday came at this hour: a forecast or nothing, never a crash.
        const QString forecast = ForecastText(ForecastFor(history.Yesterday(), history.SameWeekdays(), Fuzz::FixedSecondOfDay, last.Callers, last.Seconds,
                                                          last.Cents / 100.0));
        FUZZ_CHECK(forecast.isEmpty() || forecast.startsWith(QLatin1String("Verwacht vandaag: ")));
    }
    return 0;
}
