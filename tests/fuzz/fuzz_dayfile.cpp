// Today's day history file, read, written and read again; and its totals read from its
// tail, as the overview reads them.
//
// Input: the whole file.

#include "fFuzz.h"

#include "uDayStore.h"
#include "uDayTotals.h"
#include "uUnits.h"

namespace {

QList<int> Fields(const THistorySample &s)
{
    return {int(s.Time), s.Online, s.Callers, s.Seconds, s.Cents};
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
    const QString name = TDayStore().DayFileName();
    Fuzz::WriteFile(name, Fuzz::Bytes(data, size));
    TDayStore read;
    // The tail's last good line lies inside the day and holds no figure below zero.
    const TDayTotal total = ReadDayTotal(name, read.DayStart());
    FUZZ_CHECK(total.Present && (total.Last || total.Damaged || size == 0));
    if (total.Last) {
        FUZZ_CHECK(total.Last->Time >= read.DayStart() && total.Last->Time < read.DayStart() + SecondsPerDay);
        FUZZ_CHECK(total.Last->Callers >= 0 && total.Last->Seconds >= 0 && total.Last->Cents >= 0);
    }
    FUZZ_CHECK(read.Count() >= 0 && read.Count() <= TDayStore::Capacity);
    FUZZ_CHECK(read.SaveDay());
    const QByteArray written = Fuzz::ReadFile(name);

    // What was written reads back sample for sample, and writes the same bytes again.
    TDayStore again;
    FUZZ_CHECK(again.Count() == read.Count());
    for (int i = 0; i < read.Count(); ++i)
        FUZZ_CHECK(Fields(again.Sample(i)) == Fields(read.Sample(i)));
    FUZZ_CHECK(again.SaveDay());
    FUZZ_CHECK(Fuzz::ReadFile(name) == written);
    return 0;
}
