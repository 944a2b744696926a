#include "uParser.h"

#include "uDebugLog.h"
#include "uTokens.h"

void ParseCallerHistory(TCallerList &list, const QStringList &replyLines)
{
    int lineNumber = 1;
    try {
        for (; lineNumber < replyLines.size(); ++lineNumber) {
            const QString &line = replyLines[lineNumber];
            if (line.isEmpty())
                continue;
            TokenInit(line, QStringLiteral("|"));
            const QString progCode = NextToken().left(2);
            const QString id = NextToken().left(decltype(TCaller::Id)::Capacity);
            int index = IndexOfCaller(id, list);
            if (index < 0) {
                list.push_back(std::make_unique<TCaller>());
                index = int(list.size()) - 1;
            }
            TCaller &caller = *list[index];
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
