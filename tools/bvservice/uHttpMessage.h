#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One parsed HTTP/1.1 request. Header names are kept in lower case; values as sent.
struct THttpRequest
{
    QByteArray Method;
    QByteArray Target;
    QByteArray Version;                          // "HTTP/1.1" or "HTTP/1.0"
    QList<QPair<QByteArray, QByteArray>> Headers;
    QByteArray Body;

    // The first header of that (lower-case) name, or an empty value.
    QByteArray Header(const QByteArray &name) const;
    bool HasHeader(const QByteArray &name) const;
    // What the client asked for: HTTP/1.1 keeps the connection unless "close",
    // HTTP/1.0 closes it unless "keep-alive".
    bool WantsKeepAlive() const;
};

// One response as the connection writes it.
struct THttpResponse
{
    int Status = 200;
    QList<QPair<QByteArray, QByteArray>> Headers;
    QByteArray Body;
    bool Close = false;                          // close the connection after writing

    void AddHeader(const QByteArray &name, const QByteArray &value);
    // Status line, headers (with Content-Length and Connection added) and body.
    QByteArray Serialize(bool keepAlive) const;

    static THttpResponse Text(int status, const QByteArray &body);
};

QByteArray ReasonPhrase(int status);

// What the service decides for one request: normally a response, but it may also be
// held back for a while or broken off after some bytes to act out a failing network.
struct THttpAnswer
{
    THttpResponse Response;
    int DelayMs = 0;
    qsizetype CutAt = -1;                        // >= 0: write this many bytes, then close
    // Hang: never answer; Endless: the head and the body's start, then filler for ever;
    // Drip: the whole response at DripRate bytes a second; Headers: header lines for ever.
    enum class TStream { None, Hang, Endless, Drip, Headers } Stream = TStream::None;
    int DripRate = 0;
};
