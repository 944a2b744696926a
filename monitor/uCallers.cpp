// Turning the callers reply into callers and totals, and the callers list into rows.

#include <QTreeWidget>

#include "uDebugLog.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uTokens.h"

namespace {

const QString FieldSeparator = QStringLiteral("|");
const QString AnnouncementSeparator = QStringLiteral(": ");
const QString UnknownName = QStringLiteral("?");
constexpr int CallerColumnCount = 5;

// Fields 3 to 13 of a caller line; the scanner stands after field 2.
void ReadCallerFields(TCaller &caller)
{
    ReadCallerIdentity(caller);
    caller.Seconds = NextTokenInt();
    caller.StartValue = NextTokenInt();
    caller.Info = NextToken();
    caller.IP = NextToken();
    caller.Seen = 1;
}

} // namespace

void TBelvoraMonitor::ParseCallers(const QStringList &replyLines)
{
    int lineNumber = 0;
    try {
        for (; lineNumber < replyLines.size(); ++lineNumber) {
            const QString &line = replyLines[lineNumber];
            if (line.isEmpty())
                continue;
            const QChar kind = line[0];
            if (kind == QLatin1Char('+')) {
                TokenInit(line, FieldSeparator);
                const QString progCode = NextToken().mid(1, 2);
                // Ids are compared as they are stored, so a long id stays one caller.
                const QString id = NextToken().left(decltype(TCaller::Id)::Capacity);
                const int index = IndexOfCaller(id, Callers);
                if (index < 0) {
                    auto caller = std::make_unique<TCaller>();
                    caller->ProgCode = progCode;
                    caller->Id = id;
                    ReadCallerFields(*caller);
                    Callers.push_back(std::move(caller));
                } else {
                    TCaller &caller = *Callers[index];
                    caller.ProgCode = progCode;
                    ReadCallerFields(caller);
                }
            } else if (kind == QLatin1Char('$')) {
                TotalsSeen = true;
                ParseTotalsLine(line.mid(1));
            }
            // "=" records and anything else are not ours.
        }
    } catch (const std::exception &error) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Exception: %1 line (%2)")
                                           .arg(QString::fromLocal8Bit(error.what()))
                                           .arg(lineNumber));
    }
    DebugLog(DebugLevel::Data, QStringLiteral("Callers: %1, Totals: %2").arg(Callers.size()).arg(Totals.size()));
}

TTotals *TBelvoraMonitor::FindTotals(const QString &code) const
{
    for (const auto &totals : Totals) {
        if (totals->ProgCode == code)
            return totals.get();
    }
    return nullptr;
}

void TBelvoraMonitor::ParseTotalsLine(const QString &text)
{
    TokenInit(text, FieldSeparator);
    const QString code = NextToken().trimmed();
    if (code.isEmpty())
        return;
    TTotals *totals = FindTotals(code);
    if (!totals) {
        const int progIndex = IndexOfProg(code);
        if (progIndex < 0)
            return;
        auto created = std::make_unique<TTotals>();
        created->ProgCode = code;
        created->ProgIndex = progIndex;
        totals = created.get();
        Totals.push_back(std::move(created));
    }
    const int country = NextTokenInt();
    const int access = NextTokenInt();
    if (country < 0 || country >= CountryCount || access < 0 || access >= AccessTypeCount)
        return;
    const int calls = NextTokenInt();
    const int seconds = NextTokenInt();
    totals->Calls[country][access] = calls;
    totals->Seconds[country][access] = seconds;
    // By code, not by the position the record was made with: the programme list may have
    // been fetched anew since, in another order.
    const int progIndex = IndexOfProg(totals->ProgCode);
    if (progIndex >= 0) {
        totals->ProgIndex = progIndex;
        totals->Euros[country][access] =
            EuroAmount(access, calls, seconds, RateFor(*TPProgs[progIndex], country, access));
    }
    totals->Updated = 1;
}

void TBelvoraMonitor::UpdateCallersView()
{
    if (!CallersView)
        return;
    for (const auto &callerPtr : Callers) {
        TCaller &caller = *callerPtr;
        if (caller.Seen == 0) {
            delete caller.ListItem;
            caller.ListItem = nullptr;
            continue;
        }
        if (!caller.ListItem) {
            auto *item = new TCallerItem(&caller);
            for (int column = 1; column < CallerColumnCount; ++column)
                item->setText(column, QString());
            CallersView->addTopLevelItem(item);
            caller.ListItem = item;
        }
        QTreeWidgetItem &item = *caller.ListItem;
        const QString caption = item.text(0);
        const QString progName = ProgName(caller.ProgCode);
        // Announced once: at the first poll that knows the name. Only a caption made from
        // the unknown name counts, so a name that merely holds a "?" is not announced again.
        const bool wasUnknown = caption.isEmpty() || caption.endsWith(AnnouncementSeparator + UnknownName);
        if (wasUnknown && caller.Name != UnknownName) {
            NewCallersText += progName + AnnouncementSeparator + caller.Name.text() + QLatin1String("\r\n");
            ++NewCallerCount;
        }
        FillCallerRow(item, caller, progName + AnnouncementSeparator + caller.Name.text(), Images);
    }
}
