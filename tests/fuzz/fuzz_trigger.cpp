// One stored trigger line, read and written back.
//
// Input: the line (Windows-1252).

#include "fFuzz.h"

#include "uCodec.h"
#include "uTriggers.h"

namespace {

// A line of the file cannot hold a line end: a written text has blanks in their place.
QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

bool SameTrigger(const TTrigger &a, const TTrigger &b)
{
    return OneLine(a.WhenText) == b.WhenText && OneLine(a.Value) == b.Value && OneLine(a.ActionParam) == b.ActionParam
        && a.WhenKind == b.WhenKind && a.What == b.What && a.Compare == b.Compare && a.Action == b.Action
        && a.Active == b.Active && a.RepeatType == b.RepeatType;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = Codec::Decode(Fuzz::Bytes(data, size));
    TTrigger read;
    if (!ParseTrigger(read, line))
        return 0;
    const QString written = TriggerLine(read);
    TTrigger again;
    FUZZ_CHECK(ParseTrigger(again, written));
    FUZZ_CHECK(SameTrigger(read, again));
    FUZZ_CHECK(TriggerLine(again) == written);
    FUZZ_CHECK(!written.contains(QLatin1Char('\n')) && !written.contains(QLatin1Char('\r')));
    return 0;
}
