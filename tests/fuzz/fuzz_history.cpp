// The caller history reply (command 108), merged into today's list and its rows.
//
// Input: the reply lines after the command echo; merged twice, as two updates.

#include "fFuzz.h"

#include <QSet>

#include <algorithm>

#include "tTestData.h"
#include "uParser.h"
#include "uTokens.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::Start(argc, argv);
    AddTestProg(QStringLiteral("AB"), QStringLiteral("Alpha"));
    AddTestProg(QStringLiteral("CD"), QStringLiteral("Delta"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = QStringList{QStringLiteral("108")} + Fuzz::Lines(Fuzz::Bytes(data, size));
    TCallerRows view(CallerColumnCount);
    TCallerList list;
    for (int update = 0; update < 2; ++update) {
        ParseCallerHistory(list, lines);
        UpdateHistoryRows(list, &view, TPictureCounts());
        // One entry per id; a second merge of the same reply adds nothing.
        QSet<QString> ids;
        for (const auto &caller : list)
            ids.insert(caller->Id);
        FUZZ_CHECK(ids.size() == qsizetype(list.size()));
        FUZZ_CHECK(qsizetype(list.size()) < lines.size());
        int rows = 0;
        for (const auto &caller : list)
            rows += caller->ListItem != NoListRow ? 1 : 0;
        FUZZ_CHECK(view.RowCount() == rows);
    }
    // The next request asks only for calls newer than every one of a programme it holds.
    for (const auto &caller : list) {
        if (const TPProgItem *prog = FindProg(caller->ProgCode))
            FUZZ_CHECK(std::max(prog->LastIdPpm, prog->LastIdOther) >= StrToIntDef(caller->Id.text(), 0));
    }
    for (const auto &prog : TPProgs) {
        prog->LastIdPpm = 0;
        prog->LastIdOther = 0;
    }
    return 0;
}
