// The day graph drawn from today's day file and yesterday's behind it, in every series and
// at the sizes it meets, fed further samples, and the day's forecast from yesterday's file.
//
// Input: one byte for the height, one for the width, then the day file (today's and
// yesterday's alike; yesterday keeps only the lines of its own day).

#include "fFuzz.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include "uClock.h"
#include "uDayStore.h"
#include "uForecast.h"
#include "uHistory.h"
#include "uUnits.h"

namespace {

// Whether row 0 of the view holds only background, as above the plot it must.
bool TopRowIsBackground(const QImage &view)
{
    const QRgb background = QGuiApplication::palette().color(QPalette::Button).rgb();
    for (int x = 0; x < view.width(); ++x) {
        if (view.pixel(x, 0) != background)
            return false;
    }
    return true;
}

} // namespace

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
    const qint64 today = Clock::DayStartOf(Clock::LocalSecondsNow());
    Fuzz::WriteFile(TDayStore::DayFileNameFor(today), input.mid(2));
    Fuzz::WriteFile(TDayStore::DayFileNameFor(today - SecondsPerDay), input.mid(2));
    TDayStore store;
    THistoryGraph history(store);
    const int width = 1 + uchar(input[1]) * 4;
    const int height = uchar(input[0]) % 80;
    const bool labels = (uchar(input[0]) & 0x80) == 0;
    history.SetShowTimeLabels(labels);
    history.Attach(width, height);
    QImage view(width, std::max(height, 1), QImage::Format_RGB32);
    const auto paint = [&] {
        QPainter painter(&view);
        history.Paint(painter, view.rect());
    };
    for (int series = 0; series < THistorySample::SeriesCount; ++series) {
        history.SetSeries(series);
        paint();
        // The scale always reaches the day's highest value of either day: no sample is
        // drawn above the plot, below the row the labels leave free at the top.
        if (labels && height >= 20)
            FUZZ_CHECK(TopRowIsBackground(view));
        bool number = false;
        history.MaxText().toInt(&number);
        FUZZ_CHECK(number);
        history.MinText().toInt(&number);
        FUZZ_CHECK(number);
    }
    // Samples that follow, taken from the file's own last values, draw too.
    if (store.Count() > 0) {
        const THistorySample last = store.Sample(store.Count() - 1);
        store.AddSample(store.DayStart() + SecondsPerDay - 1, last.Cents, last.Online, last.Callers, last.Seconds);
        paint();
        // Today as far as yesterday came at this hour: a forecast or nothing, never a crash.
        const QString forecast =
            ForecastText(ForecastFor(store.Yesterday(), store.SameWeekdays(), Fuzz::FixedSecondOfDay, last.Callers,
                                     last.Seconds, double(last.Cents) / CentsPerEuro));
        FUZZ_CHECK(forecast.isEmpty() || forecast.startsWith(QLatin1String("Verwacht vandaag: ")));
    }
    return 0;
}
