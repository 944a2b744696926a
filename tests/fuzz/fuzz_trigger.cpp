// One stored trigger line, read and written back as the settings file stores it.
//
// Input: the line (Windows-1252).

#include "fFuzz.h"

#include "uCodec.h"
#include "uTriggers.h"

namespace {

bool SameTrigger(const TTrigger &a, const TTrigger &b)
{
    return Fuzz::OneLine(a.WhenText) == b.WhenText && Fuzz::OneLine(a.Value) == b.Value
        && Fuzz::OneLine(a.ActionParam) == b.ActionParam && a.WhenKind == b.WhenKind && a.What == b.What && a.Compare == b.Compare && a.Action == b.Action
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
    // The file writes a line break inside a value as a blank.
    const QString written = Fuzz::OneLine(TriggerLine(read));
    TTrigger again;
    FUZZ_CHECK(ParseTrigger(again, written));
    FUZZ_CHECK(SameTrigger(read, again));
    FUZZ_CHECK(TriggerLine(again) == written);
    return 0;
}
