#include "uAccountBook.h"

namespace {

constexpr int MinKeyLength = 4;
constexpr int MaxKeyLength = 40;

} // namespace

TAccountBook::TAccountBook(const QString &mainKey)
    : Email(QStringLiteral("demo@belvora.example")),
      Mobile(QStringLiteral("0612345678")),
      Msn(QStringLiteral("demo.webmaster@hotmail.example")),
      MainKey(mainKey)
{
    Items.append({mainKey, QStringLiteral("Demo Webmaster - hoofdaccount"), true});
    Items.append({QStringLiteral("DEMO-KEY-0002"), QStringLiteral("Demo Webmaster - zomeractie"), false});
}

QString TAccountBook::Add(const QString &key, bool active, QString &name)
{
    if (key.isEmpty())
        return QStringLiteral("Geen key opgegeven");
    if (key.size() < MinKeyLength || key.size() > MaxKeyLength || key.contains(u'|'))
        return QStringLiteral("Ongeldige key");
    for (const TAccount &account : Items) {
        if (account.Key == key)
            return QStringLiteral("Key is al gekoppeld");
    }
    // The name stays within 32 characters so that no client mistakes it for an account line.
    name = QStringLiteral("Extra webmaster account nr. %1").arg(++Added).left(32);
    Items.append({key, name, active});
    return {};
}

QString TAccountBook::Remove(const QString &key)
{
    if (key == MainKey)
        return QStringLiteral("Het hoofdaccount kan niet verwijderd worden");
    for (qsizetype i = 0; i < Items.size(); ++i) {
        if (Items[i].Key == key) {
            Items.removeAt(i);
            return {};
        }
    }
    return QStringLiteral("Onbekende key");
}

QString TAccountBook::AccountLine(const TAccount &account)
{
    QString line = account.Key + u'|' + account.Name + u'|' + (account.Active ? u'1' : u'0');
    // A short key could leave the line at 32 or fewer; a padded name keeps it readable.
    while (line.size() <= 32) {
        line.insert(line.lastIndexOf(u'|'), u' ');
    }
    return line;
}
