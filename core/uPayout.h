#pragma once

#include <QString>
#include <QStringList>

#include "uGlobal.h"

class TIniFile;

// Partner programmes from the server and the user's payout rules, which turn calls and
// seconds into euros.

// Reply to command 106: one "code:name" per line from line 1 on. A failed request keeps
// the programmes we have.
void ProgsFetched(bool replyOk, const QStringList &replyLines);

// Exact match of the code cut to its stored length; otherwise a new rule when `create`,
// else the default rule (empty code) or null.
TPayoutRule *FindPayoutRule(const QString &code, bool create);
// Copies every programme's rule into its Rates; programmes without a rule keep theirs.
void ApplyPayoutRules();
// The most specific non-zero amount: [country][access], [country][all], [all][access], [all][all].
double RateFor(const TPProgItem &prog, int country, int access);
double EuroAmount(int access, int calls, int seconds, double rate);

// Amounts are read with a decimal comma or point whatever the locale; one that is still no
// number is kept as text and written back as it stands.
void LoadPayoutRules(const TIniFile &ini);
// After the rules were made anew (the options dialog), gives each code's unread amounts
// from `previous` back to the rule of that code.
void KeepUnreadAmounts(const TPayoutRuleList &previous);
void SavePayoutRules(TIniFile &ini);
// The stored line of one rule's country row: code, then 18 amounts, ";"-separated.
QString PayoutLine(const TPayoutRule &rule, int country);
