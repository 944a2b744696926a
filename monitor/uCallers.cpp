// Turning the callers reply into callers and totals, and the callers list into rows.

#include "uDebugLog.h"
#include "uMonitor.h"
#include "uPayout.h"
#include "uTokens.h"

namespace {

const QString FieldSeparator = QStringLiteral("|");
const QString UnknownName = QStringLiteral("?");
// The caption of a caller whose name was not known: programme, separator, "?".
constexpr QStringView UnknownCaptionEnd = u": ?";

// Fields 3 to 13 of a caller line; the scanner stands after field 2.
void ReadCallerFields(TCaller &caller)
{
    ReadCallerIdentity(caller);
    caller.Seconds = NextTokenInt();
    caller.StartValue = NextTokenInt();
    caller.Info.Assign(NextTokenView());
    caller.IP.Assign(NextTokenView());
    caller.Seen = 1;
}

// Programme positions by code; the first of equal codes wins, as in IndexOfProg.
TTextIndex<int> ProgIndex()
{
    TTextIndex<int> index;
    index.reserve(TPProgs.size());
    for (std::size_t i = 0; i < TPProgs.size(); ++i)
        index.emplace(TPProgs[i]->ProgCode.text(), int(i));
    return index;
}

} // namespace

void TBelvoraMonitor::IndexRecords()
{
    // Only this class adds and removes records, so the indexes match the lists; they are
    // made anew should anything else have changed a list.
    if (m_callerIndex.size() != Callers.size()) {
        m_callerIndex.clear();
        for (const auto &caller : Callers)
            m_callerIndex.emplace(caller->Id.text(), caller.get());
    }
    if (m_totalsIndex.size() != Totals.size()) {
        m_totalsIndex.clear();
        for (const auto &totals : Totals)
            m_totalsIndex.emplace(totals->ProgCode.text(), totals.get());
    }
}

void TBelvoraMonitor::ParseCallers(const QStringList &replyLines)
{
    IndexRecords();
    const TTextIndex<int> progs = ProgIndex();
    int lineNumber = 0;
    try {
        for (; lineNumber < replyLines.size(); ++lineNumber) {
            const QString &line = replyLines[lineNumber];
            if (line.isEmpty())
                continue;
            const QChar kind = line[0];
            if (kind == QLatin1Char('+')) {
                TokenInit(line, FieldSeparator);
                const QStringView progCode = NextTokenView().mid(1, 2);
                // Ids are compared as they are stored, so a long id stays one caller.
                const QStringView id = NextTokenView().left(decltype(TCaller::Id)::Capacity);
                const auto found = m_callerIndex.find(id);
                if (found == m_callerIndex.end()) {
                    auto caller = std::make_unique<TCaller>();
                    caller->ProgCode.Assign(progCode);
                    caller->Id.Assign(id);
                    ReadCallerFields(*caller);
                    m_callerIndex.emplace(caller->Id.text(), caller.get());
                    Callers.push_back(std::move(caller));
                } else {
                    TCaller &caller = *found->second;
                    caller.ProgCode.Assign(progCode);
                    ReadCallerFields(caller);
                }
            } else if (kind == QLatin1Char('$')) {
                TotalsSeen = true;
                TokenInit(line, FieldSeparator);
                ApplyTotalsFields(NextTokenView().sliced(1), progs);
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

// A totals line from its code on; the scanner stands after the code.
void TBelvoraMonitor::ApplyTotalsFields(QStringView codeField, const TTextIndex<int> &progs)
{
    const QStringView code = codeField.trimmed();
    if (code.isEmpty())
        return;
    const auto findProg = [&progs](QStringView c) {
        const auto found = progs.find(c);
        return found == progs.end() ? -1 : found->second;
    };
    TTotals *totals = nullptr;
    if (const auto found = m_totalsIndex.find(code); found != m_totalsIndex.end())
        totals = found->second;
    if (!totals) {
        const int progIndex = findProg(code);
        if (progIndex < 0)
            return;
        auto created = std::make_unique<TTotals>();
        created->ProgCode.Assign(code);
        created->ProgIndex = progIndex;
        totals = created.get();
        m_totalsIndex.emplace(totals->ProgCode.text(), totals);
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
    const int progIndex = findProg(totals->ProgCode.text());
    if (progIndex >= 0) {
        totals->ProgIndex = progIndex;
        totals->Euros[country][access] =
            EuroAmount(access, calls, seconds, RateFor(*TPProgs[progIndex], country, access));
    }
    totals->Updated = 1;
}

void TBelvoraMonitor::UpdateCallersView()
{
    const TTextIndex<int> progs = ProgIndex();
    for (const auto &callerPtr : Callers) {
        TCaller &caller = *callerPtr;
        if (caller.Seen == 0) {
            m_callersModel.RemoveRowOf(caller);
            continue;
        }
        const int row = m_callersModel.RowFor(caller);
        const QString &caption = m_callersModel.Text(row, CaptionColumn);
        const auto prog = progs.find(caller.ProgCode.text());
        const QString &progName = prog == progs.end() ? caller.ProgCode.text() : TPProgs[prog->second]->ProgName;
        // Announced once: at the first poll that knows the name. Only a caption made from
        // the unknown name counts, so a name that merely holds a "?" is not announced again.
        const bool wasUnknown = caption.isEmpty() || caption.endsWith(UnknownCaptionEnd);
        if (wasUnknown && caller.Name != UnknownName) {
            NewCallersText += progName + CaptionSeparator + caller.Name.text() + QLatin1String("\r\n");
            ++NewCallerCount;
        }
        FillCallerRow(m_callersModel, row, caller, progName, Pictures);
    }
    m_callersModel.Publish();
}
