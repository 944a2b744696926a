#pragma once

#include <QList>
#include <QString>

// What the provider keeps about the webmaster besides calls: the account keys and the
// contact data. Lives for the service's run; the options dialog edits it.
class TAccountBook final
{
public:
    struct TAccount
    {
        QString Key;
        QString Name;
        bool Active = true;
    };

    explicit TAccountBook(const QString &mainKey);

    const QList<TAccount> &Accounts() const { return Items; }

    // Empty error text on success; otherwise the (Dutch) text the client shows.
    QString Add(const QString &key, bool active, QString &name);
    QString Remove(const QString &key);

    // "key|name|1": always longer than 32 characters, which is how clients tell
    // account lines apart.
    static QString AccountLine(const TAccount &account);

    QString Email;
    QString Mobile;
    QString Msn;

private:
    QString MainKey;
    QList<TAccount> Items;
    int Added = 0;
};
