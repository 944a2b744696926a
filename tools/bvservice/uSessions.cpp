#include "uSessions.h"

#include <QRandomGenerator>

namespace {

// A bound on stored sessions, so a client that throws cookies away cannot grow the
// store for ever.
constexpr int MaxSessions = 10000;

} // namespace

QByteArray TSessionStore::Find(const QByteArray &cookieHeader) const
{
    const QByteArray prefix = QByteArray(CookieName) + '=';
    for (const QByteArray &part : cookieHeader.split(';')) {
        const QByteArray cookie = part.trimmed();
        if (cookie.startsWith(prefix)) {
            const QByteArray id = cookie.mid(prefix.size());
            if (Replies.contains(id))
                return id;
        }
    }
    return {};
}

QByteArray TSessionStore::Create()
{
    if (Replies.size() >= MaxSessions)
        Replies.clear();
    QByteArray id;
    do {
        quint32 words[4];
        QRandomGenerator::system()->fillRange(words);
        id = QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
    } while (Replies.contains(id));
    Replies.insert(id, 0);
    return id;
}

void TSessionStore::Remove(const QByteArray &id)
{
    Replies.remove(id);
}

int TSessionStore::NextReply(const QByteArray &id)
{
    auto it = Replies.find(id);
    if (it == Replies.end())
        return 0;
    return ++it.value();
}

QByteArray TSessionStore::SetCookie(const QByteArray &id)
{
    return QByteArray(CookieName) + '=' + id + "; Path=/; HttpOnly";
}

QByteArray TSessionStore::ExpireCookie()
{
    return QByteArray(CookieName) + "=; Path=/; Max-Age=0; Expires=Thu, 01 Jan 1970 00:00:00 GMT";
}
