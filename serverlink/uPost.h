#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>

#include "uHttpResponse.h"

class QEventLoop;
class QNetworkCookieJar;
class QSslError;

// What the HTTP client reports of a post on its way; the connector window has a text
// for each.
enum class THttpStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, StatusText, Transfer,
                         Ready, Aborted, Other };

// How long and how large one post may be. "No read time-out" is asked of the HTTP
// library; the post itself must still end, or polling would stop for good.
struct TPostLimits
{
    int OfferCancelMs = 15 * 1000;  // no progress this long: the window offers its cancel
    int StallMs = 30 * 1000;        // no progress this long: broken off, a failed transfer
    int TotalMs = 120 * 1000;       // still running after this long: the same
    // Far beyond any real reply (a day's callers and totals are tens of kilobytes).
    qsizetype MaxReplyBytes = 16 * 1024 * 1024;
    // Status line and header lines: the service sends a handful.
    qsizetype MaxHeadBytes = 64 * 1024;
};

// What is posted: the endpoint, the request headers and the body.
struct TPostRequest
{
    QUrl Url;
    QList<QPair<QByteArray, QByteArray>> Headers;
    QByteArray Body;
};

// How a post ended. Failed carries the Dutch text of why.
struct TPostResult
{
    enum class TEnd { Completed, Failed, Cancelled, NotSent };
    TEnd End = TEnd::NotSent;
    bool BrokenOff = false;     // ended by a cancel or a limit, not by the server
    bool WorkEnded = false;     // the whole reply arrived (an HTTP error status included)
    QByteArray Body;
    QByteArray MessageHeader;   // the MSG header of a completed post
    QString Error;
};

// One HTTP POST on a connection of its own, from connecting to its end: it waits for
// the reply in a local event loop (everything else keeps running), reports progress,
// keeps the reply within its limits and ends by itself. Its socket lives on this thread,
// so a cut is a cut: Qt's own HTTP client goes on reading an endless head in its thread
// after an abort. Made on the stack for each post; the transport keeps a pointer to the
// one running.
class TPost final : public QObject
{
    Q_OBJECT
public:
    TPost(QNetworkCookieJar &cookies, const TPostLimits &limits);
    TPost(const TPost &) = delete;
    TPost &operator=(const TPost &) = delete;
    ~TPost() override;

    TPostResult Run(const TPostRequest &request);
    // Breaks the post off as cancelled (the user's "Afbreken", a sign-off).
    void Cancel(const QString &why);
    // The request is on its way and its reply has not ended.
    bool TransferRunning() const;

Q_SIGNALS:
    void Status(THttpStatus status);
    void WorkBegin(qint64 size);
    void Work(qint64 done);
    void Stalled();

private:
    enum class TBreak { None, Cancelled, NoProgress, TooLong };

    void Send();
    void BytesWritten(qint64 bytes);
    void Read();
    void SocketError(QAbstractSocket::SocketError error);
    void SslErrors(const QList<QSslError> &errors);
    void End(const QString &failure);
    void BreakOff(TBreak reason, const QString &why);
    void Progress();
    QByteArray RequestBytes(const TPostRequest &request) const;

    QNetworkCookieJar &m_cookies;
    const TPostLimits m_limits;
    std::unique_ptr<QAbstractSocket> m_socket;
    THttpResponseReader m_reader;
    QUrl m_url;
    QByteArray m_request;
    qint64 m_written = 0;
    bool m_running = false;
    bool m_ended = false;
    QString m_failure;
    QString m_untrusted;        // the peer certificate's fingerprint when it was not trusted
    TBreak m_break = TBreak::None;
    QEventLoop *m_wait = nullptr;
    QTimer m_offerCancel;
    QTimer m_stall;
    QTimer m_total;
};
