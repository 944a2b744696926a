#include "uAccounts.h"

#include "uTokens.h"

namespace {

// Shorter lines of an account reply are not account lines.
constexpr int MinAccountLineLength = 33;

const QString ReplyOkText = QStringLiteral("OK");

void AppendAccountLines(const QStringList &replyLines)
{
    for (qsizetype i = 2; i < replyLines.size(); ++i) {
        if (replyLines[i].size() < MinAccountLineLength)
            continue;
        auto account = std::make_unique<TAccount>();
        ParseAccount(*account, replyLines[i]);
        TAccounts.push_back(std::move(account));
    }
}

} // namespace

void ParseAccount(TAccount &account, const QString &line)
{
    TokenInit(line, QStringLiteral("|"));
    account.Key = NextToken();
    account.Name = NextToken();
    account.Active = NextToken() == QLatin1String("1");
}

TAccount &AddAccount(const QString &key, const QString &name, bool active)
{
    for (const auto &account : TAccounts) {
        if (account->Key == key)
            return *account;
    }
    TAccounts.push_back(std::make_unique<TAccount>(TAccount{key, name, active}));
    return *TAccounts.back();
}

QString ReadAccountKeysReply(bool replyOk, const QStringList &replyLines)
{
    TAccounts.clear();
    if (!replyOk || replyLines.size() < 2)
        return QStringLiteral("FOUT TIJDENS OPHALEN!");
    if (replyLines[1] != ReplyOkText)
        return replyLines.value(2);
    AppendAccountLines(replyLines);
    return {};
}

QString ReadAddAccountKeyReply(bool replyOk, const QStringList &replyLines, const QString &key, bool active)
{
    if (!replyOk || replyLines.size() < 3)
        return QStringLiteral("FOUT TIJDENS TOEVOEGEN!");
    if (replyLines[1] != ReplyOkText)
        return replyLines[2];
    AddAccount(key, replyLines[2], active);
    AppendAccountLines(replyLines);
    return QStringLiteral("Key is toegevoegd");
}

QString ReadRemoveAccountKeyReply(bool replyOk, const QStringList &replyLines)
{
    if (!replyOk || replyLines.size() < 3)
        return QStringLiteral("FOUT TIJDENS VERWIJDEREN!");
    if (replyLines[1] != ReplyOkText)
        return replyLines[2];
    for (auto it = TAccounts.begin(); it != TAccounts.end(); ++it) {
        if ((*it)->Key == replyLines[2]) {
            TAccounts.erase(it);
            // The programmes of the removed key must go: the next poll fetches them anew.
            TPProgs.clear();
            break;
        }
    }
    return QStringLiteral("Key is verwijderd");
}
