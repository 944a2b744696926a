#pragma once

#include <QString>
#include <QStringList>

#include "uGlobal.h"

// The webmaster's account keys as the server reports them; never stored locally.

void ParseAccount(TAccount &account, const QString &line);
// The account with this key if there is one (unchanged), else a new one appended.
TAccount &AddAccount(const QString &key, const QString &name, bool active);

// Readers of the account replies; each returns the text the options dialog shows.
QString ReadAccountKeysReply(bool replyOk, const QStringList &replyLines);                // 107
QString ReadAddAccountKeyReply(bool replyOk, const QStringList &replyLines, const QString &key,
                               bool active);                                              // 101
QString ReadRemoveAccountKeyReply(bool replyOk, const QStringList &replyLines);           // 105
