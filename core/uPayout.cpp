#include "uPayout.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

#include "uDebugLog.h"
#include "uIniFile.h"
#include "uNumbers.h"
#include "uTokens.h"
#include "uUnits.h"

namespace {

const QString SectionPayout = QStringLiteral("payout");
const QString KeyCount = QStringLiteral("Count");
constexpr int ProgCodeLength = 2;

// Codes are cut to this length when stored, so they are cut before they are looked up.
QString CutCode(const QString &code)
{
    return code.left(ProgCodeLength);
}

QString PayoutKey(int rule, int country)
{
    return QStringLiteral("item%1cc%2").arg(rule).arg(country);
}

// Amounts in the settings file are written in the user's locale form.
QString WriteLocaleAmount(double amount)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(amount, 'g', 15);
}

} // namespace

void ProgsFetched(bool replyOk, const QStringList &replyLines)
{
    if (!replyOk)
        return;
    TPProgs.clear();
    for (qsizetype i = 1; i < replyLines.size(); ++i) {
        const QString &line = replyLines[i];
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString code = (colon < 0 ? line : line.left(colon)).left(ProgCodeLength);
        const QString name = colon < 0 ? line : line.mid(colon + 1);
        if (name.size() <= ProgCodeLength || FindProg(code))
            continue;
        auto prog = std::make_unique<TPProgItem>();
        prog->ProgCode = code;
        prog->ProgName = name;
        TPProgs.push_back(std::move(prog));
    }
    ApplyPayoutRules();
}

TPayoutRule *FindPayoutRule(const QString &code, bool create)
{
    const QString cut = CutCode(code);
    TPayoutRule *defaultRule = nullptr;
    for (const auto &rule : PayoutRules) {
        if (rule->ProgCode == cut)
            return rule.get();
        if (rule->ProgCode.isEmpty() && !defaultRule)
            defaultRule = rule.get();
    }
    if (!create)
        return defaultRule;
    auto rule = std::make_unique<TPayoutRule>();
    rule->ProgCode = cut;
    PayoutRules.push_back(std::move(rule));
    return PayoutRules.back().get();
}

void ApplyPayoutRules()
{
    for (const auto &prog : TPProgs) {
        if (const TPayoutRule *rule = FindPayoutRule(prog->ProgCode, false))
            prog->Rates = rule->Amounts;
    }
}

double RateFor(const TPProgItem &prog, int country, int access)
{
    for (const auto &[c, a] : {std::pair{country, access}, std::pair{country, -1}, std::pair{-1, access},
                               std::pair{-1, -1}}) {
        const double rate = prog.Rates.At(c, a);
        if (rate != 0.0)
            return rate;
    }
    return 0.0;
}

double EuroAmount(int access, int calls, int seconds, double rate)
{
    return IsPaidPerCall(access) ? calls * rate : MinutesFromSeconds(seconds) * rate;
}

QString PayoutLine(const TPayoutRule &rule, int country)
{
    QString line = rule.ProgCode;
    for (int access = TRateTable::FirstAccess; access <= TRateTable::LastAccess; ++access) {
        const double amount = rule.Amounts.At(country, access);
        const auto unread = rule.UnreadAmounts.find({country, access});
        line += QLatin1Char(';')
            + (amount == 0.0 && unread != rule.UnreadAmounts.end() ? unread->second : WriteLocaleAmount(amount));
    }
    return line;
}

void LoadPayoutRules(const TIniFile &ini)
{
    const int count = ini.ReadInteger(SectionPayout, KeyCount, 0);
    if (count <= 0)
        return;
    // Walk the keys the file really has, in rule and country order, so a huge Count in a
    // damaged file costs nothing.
    struct TStoredRow
    {
        int Rule;
        int Country;
        QString Value;
    };
    std::vector<TStoredRow> rows;
    static const QRegularExpression keyPattern(QStringLiteral("^item(\\d+)cc(-?\\d+)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    for (const QString &key : ini.ReadSection(SectionPayout)) {
        const QRegularExpressionMatch match = keyPattern.match(key);
        if (!match.hasMatch())
            continue;
        const int rule = StrToIntDef(match.captured(1), -1);
        const int country = StrToIntDef(match.captured(2), TRateTable::LastCountry + 1);
        if (rule < 0 || rule >= count || country < TRateTable::FirstCountry || country > TRateTable::LastCountry)
            continue;
        const QString value = ini.ReadString(SectionPayout, key);
        if (!value.isEmpty())
            rows.push_back({rule, country, value});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const TStoredRow &a, const TStoredRow &b) {
        return a.Rule != b.Rule ? a.Rule < b.Rule : a.Country < b.Country;
    });

    PayoutRules.clear();
    for (const TStoredRow &row : rows) {
        TokenInit(row.Value, QStringLiteral(";"));
        TPayoutRule *rule = FindPayoutRule(NextToken(), true);
        for (int access = TRateTable::FirstAccess; access <= TRateTable::LastAccess; ++access) {
            const QString text = NextToken();
            if (const std::optional<double> amount = ReadCommaOrPointNumber(text)) {
                rule->Amounts.Set(row.Country, access, *amount);
            } else if (!text.trimmed().isEmpty()) {
                DebugLog(DebugLevel::Requests, QStringLiteral("Payout amount \"%1\" is no number; kept as it is")
                                                   .arg(text));
                rule->UnreadAmounts[{row.Country, access}] = text;
            }
        }
    }
}

void KeepUnreadAmounts(const TPayoutRuleList &previous)
{
    for (const auto &old : previous) {
        if (!old->UnreadAmounts.empty())
            FindPayoutRule(old->ProgCode, true)->UnreadAmounts.insert(old->UnreadAmounts.begin(),
                                                                      old->UnreadAmounts.end());
    }
}

void SavePayoutRules(TIniFile &ini)
{
    QList<QPair<QString, QString>> entries;
    entries.append({KeyCount, QString::number(PayoutRules.size())});
    for (std::size_t i = 0; i < PayoutRules.size(); ++i) {
        for (int country = TRateTable::FirstCountry; country <= TRateTable::LastCountry; ++country)
            entries.append({PayoutKey(int(i), country), PayoutLine(*PayoutRules[i], country)});
    }
    ini.ReplaceSection(SectionPayout, entries);
}
