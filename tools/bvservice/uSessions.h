#pragma once

#include <QByteArray>
#include <QHash>

// The service's sessions, one per cookie. A client without a known cookie gets a new
// session; signing off or an expired session ends it.
class TSessionStore final
{
public:
    static constexpr const char *CookieName = "BVSESSION";

    // The session id a Cookie header names, if the store knows it; else empty.
    QByteArray Find(const QByteArray &cookieHeader) const;
    QByteArray Create();
    void Remove(const QByteArray &id);
    // Counts a reply of the session and returns its number, from 1.
    int NextReply(const QByteArray &id);
    int Count() const { return static_cast<int>(Replies.size()); }

    static QByteArray SetCookie(const QByteArray &id);
    static QByteArray ExpireCookie();

private:
    QHash<QByteArray, int> Replies;
};
