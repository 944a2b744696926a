#include "uParser.h"

#include "uDebugLog.h"
#include "uTextIndex.h"
#include "uTokens.h"

void ParseCallerHistory(TCallerList &list, const QStringList &replyLines)
{
    // Positions by id, the first of equal ids winning: a month's history is tens of
    // thousands of lines, far too many to search the list for each.
    TTextIndex<std::size_t> indexOfId;
    indexOfId.reserve(list.size() + std::size_t(replyLines.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
        indexOfId.emplace(list[i]->Id.text(), i);
    int lineNumber = 1;
    try {
        for (; lineNumber < replyLines.size(); ++lineNumber) {
            const QString &line = replyLines[lineNumber];
            if (line.isEmpty())
                continue;
            TokenInit(line, QStringLiteral("|"));
            const QString progCode = NextToken().left(2);
            const QString id = NextToken().left(decltype(TCaller::Id)::Capacity);
            const auto [found, added] = indexOfId.emplace(id, list.size());
            if (added)
                list.push_back(std::make_unique<TCaller>());
            TCaller &caller = *list[found->second];
            caller.ProgCode = progCode;
            caller.Id = id;
            ReadCallerIdentity(caller);
            // Unlike a caller line: the start number, the end and then the length.
            caller.StartValue = NextTokenInt();
            caller.Stop = FormatStamp(NextToken());
            caller.Seconds = NextTokenInt();
            caller.Info = NextToken();
            caller.IP = NextToken();
        }
    } catch (const std::exception &error) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1 line (%2)")
                                           .arg(QString::fromLocal8Bit(error.what()))
                                           .arg(lineNumber));
    }
}

void UpdateHistoryRows(TCallerList &list, TCallerRows *rows, const TPictureCounts &pictures)
{
    for (const auto &callerPtr : list) {
        TCaller &caller = *callerPtr;
        TPProgItem *prog = FindProg(caller.ProgCode);
        if (!prog)
            continue;
        if (rows)
            FillCallerRow(*rows, rows->RowFor(caller), caller, prog->ProgName, pictures);
        const int id = StrToIntDef(caller.Id.text(), 0);
        if (caller.Access > AccessPpmVoice)
            prog->LastIdOther = qMax(prog->LastIdOther, id);
        else
            prog->LastIdPpm = qMax(prog->LastIdPpm, id);
    }
    if (rows)
        rows->Publish();
}
