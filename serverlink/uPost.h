#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

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

// One HTTP POST on the wire, from sending to its end: it waits for the reply in a local
// event loop (everything else keeps running), reports progress, and ends by itself
// within its limits. Made on the stack for each post; the transport keeps a pointer to
// the one running.
class TPost final : public QObject
{
    Q_OBJECT
public:
    TPost(QNetworkAccessManager &http, const TPostLimits &limits);
    TPost(const TPost &) = delete;
    TPost &operator=(const TPost &) = delete;
    ~TPost() override;

    TPostResult Run(const QNetworkRequest &request, const QByteArray &body);
    // Breaks the post off as cancelled (the user's "Afbreken", a sign-off).
    void Cancel(const QString &why);
    // The request is on the wire and its reply has not ended.
    bool TransferRunning() const;

Q_SIGNALS:
    void Status(THttpStatus status);
    void WorkBegin(qint64 size);
    void Work(qint64 done);
    void Stalled();

private:
    enum class TBreak { None, Cancelled, TooLarge, NoProgress, TooLong };

    void Connect(QNetworkReply *reply);
    void BreakOff(TBreak reason, const QString &why);
    void Progress();
    QString FailureText(QNetworkReply *reply) const;

    QNetworkAccessManager &m_http;
    const TPostLimits m_limits;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QString m_untrusted;        // the peer certificate's fingerprint when it was not trusted
    TBreak m_break = TBreak::None;
    QTimer m_offerCancel;
    QTimer m_stall;
    QTimer m_total;
};
