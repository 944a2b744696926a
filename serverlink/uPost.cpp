#include "uPost.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>

#include <cstring>

#include "uDebugLog.h"

namespace {

// What Qt may read ahead of us; without a limit an endless reply fills memory faster
// than the size check can see it.
constexpr qint64 ReadBufferBytes = 256 * 1024;
constexpr int MsPerSecond = 1000;

// A request body that can be read once only. When a connection closes before any reply
// byte, Qt Network sends the request again on a new one, unless it cannot rewind the body:
// then it fails the request with ContentReSendError. The service may have acted on the
// first post, so a request must never reach it twice.
class TOneShotBody final : public QIODevice
{
public:
    TOneShotBody(const QByteArray &body, QObject *parent) : QIODevice(parent), m_body(body)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return m_body.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, qint64(m_body.size()) - m_read);
        memcpy(data, m_body.constData() + m_read, size_t(count));
        m_read += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_body;
    qint64 m_read = 0;
};

// A closed connection reads the same whether the reply had begun or not.
const QString ClosedText = QStringLiteral("Verbinding gesloten voordat het antwoord compleet was");

bool IsCompleteHttpError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

// Qt's own texts are English, or Dutch only in part: every error gets one of ours.
QString NetworkErrorText(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Verbinding geweigerd door de server");
    case QNetworkReply::RemoteHostClosedError:
        return ClosedText;
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Server niet gevonden");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("Server niet bereikt binnen de tijd");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Beveiligde verbinding met de server mislukt");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return QStringLiteral("Geen netwerk beschikbaar");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Server stuurt door naar een ander adres");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        return QStringLiteral("Fout bij de proxyserver");
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("Adres van de server is onbruikbaar");
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("Onleesbaar antwoord van de server");
    default:
        return QStringLiteral("Netwerkfout (%1)").arg(int(error));
    }
}

QString Fingerprint(const QSslCertificate &certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace

TPost::TPost(QNetworkAccessManager &http, const TPostLimits &limits)
    : m_http(http), m_limits(limits)
{
    m_offerCancel.setSingleShot(true);
    m_stall.setSingleShot(true);
    m_total.setSingleShot(true);
    connect(&m_offerCancel, &QTimer::timeout, this, &TPost::Stalled);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        BreakOff(TBreak::NoProgress, QStringLiteral("no progress for %1 ms").arg(m_limits.StallMs));
    });
    connect(&m_total, &QTimer::timeout, this, [this] {
        BreakOff(TBreak::TooLong, QStringLiteral("still running after %1 ms").arg(m_limits.TotalMs));
    });
}

TPost::~TPost()
{
    if (m_reply)
        m_reply->disconnect(this);
}

bool TPost::TransferRunning() const
{
    return m_reply && !m_reply->isFinished();
}

TPostResult TPost::Run(const QNetworkRequest &request, const QByteArray &body)
{
    QNetworkRequest post = request;
    // Qt buffers (and so could resend) a sequential body unless told not to, which it only
    // accepts with a length.
    post.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    post.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto *upload = new TOneShotBody(body, nullptr);
    QNetworkReply *reply = m_http.post(post, upload);
    upload->setParent(reply);
    m_reply = reply;
    Connect(reply);
    m_offerCancel.start(m_limits.OfferCancelMs);
    m_stall.start(m_limits.StallMs);
    m_total.start(m_limits.TotalMs);
    if (!reply->isFinished()) {
        QEventLoop wait;
        connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    // Only the program's quit ends the wait early: what came so far is not a reply.
    if (!reply->isFinished())
        BreakOff(TBreak::Cancelled, QStringLiteral("the program ends"));
    m_offerCancel.stop();
    m_stall.stop();
    m_total.stop();

    reply->disconnect(this);
    if (reply->isOpen() && m_break == TBreak::None)
        m_body.append(reply->readAll());
    TPostResult result;
    result.BrokenOff = m_break != TBreak::None;
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.WorkEnded =
        !result.BrokenOff && (error == QNetworkReply::NoError || (status.isValid() && IsCompleteHttpError(error)));
    if (m_break == TBreak::Cancelled) {
        result.End = TPostResult::TEnd::Cancelled;
    } else {
        result.Error = FailureText(reply);
        result.End = result.Error.isEmpty() ? TPostResult::TEnd::Completed : TPostResult::TEnd::Failed;
    }
    if (result.End == TPostResult::TEnd::Completed) {
        result.Body = m_body;
        result.MessageHeader = reply->rawHeader("MSG");
    }
    m_reply = nullptr;
    reply->deleteLater();
    return result;
}

QString TPost::FailureText(QNetworkReply *reply) const
{
    switch (m_break) {
    case TBreak::TooLarge:
        return QStringLiteral("Antwoord is te groot");
    case TBreak::NoProgress:
        return QStringLiteral("Geen antwoord van de server binnen %1 s").arg(m_limits.StallMs / MsPerSecond);
    case TBreak::TooLong:
        return QStringLiteral("Antwoord van de server niet compleet binnen %1 s").arg(m_limits.TotalMs / MsPerSecond);
    case TBreak::None:
    case TBreak::Cancelled:
        break;
    }
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Qt wants the body once more for a connection closed before any reply byte, and for
    // a redirect or a challenge, whose status then says what went wrong.
    if (error == QNetworkReply::ContentReSendError && !status.isValid())
        return ClosedText;
    if (const int code = status.toInt(); status.isValid() && (code < 200 || code > 299))
        return QStringLiteral("Server antwoordde met HTTP-status %1").arg(code);
    if (error == QNetworkReply::SslHandshakeFailedError && !m_untrusted.isEmpty())
        return QStringLiteral("Certificaat van de server niet vertrouwd (SHA-256 %1); het systeem moet dit "
                              "certificaat vertrouwen")
            .arg(m_untrusted);
    if (error != QNetworkReply::NoError)
        return NetworkErrorText(error);
    if (!status.isValid())
        return QStringLiteral("Onleesbaar antwoord van de server");
    return {};
}

void TPost::Cancel(const QString &why)
{
    BreakOff(TBreak::Cancelled, why);
}

void TPost::BreakOff(TBreak reason, const QString &why)
{
    if (!TransferRunning() || m_break != TBreak::None)
        return;
    DebugLog(DebugLevel::Requests, QStringLiteral("Post broken off: %1").arg(why));
    m_break = reason;
    // Emits finished before it returns, which ends the wait in Run.
    m_reply->abort();
}

void TPost::Progress()
{
    m_offerCancel.start();
    m_stall.start();
}

void TPost::Connect(QNetworkReply *reply)
{
    // Qt passes the limit on to its transfer thread only once the request has started,
    // which it does from the event loop: set it right after that.
    QMetaObject::invokeMethod(reply, [reply] { reply->setReadBufferSize(ReadBufferBytes); }, Qt::QueuedConnection);
    // Any sign of life restarts the wait for the next one. Qt reports nothing while the
    // response headers come in, so a stream of headers ends as a post without progress.
    connect(reply, &QNetworkReply::socketStartedConnecting, this, &TPost::Progress);
    connect(reply, &QNetworkReply::requestSent, this, &TPost::Progress);
    connect(reply, &QNetworkReply::uploadProgress, this, &TPost::Progress);
    connect(reply, &QNetworkReply::metaDataChanged, this, &TPost::Progress);
    connect(reply, &QNetworkReply::readyRead, this, &TPost::Progress);
    connect(reply, &QNetworkReply::downloadProgress, this, &TPost::Progress);

    connect(reply, &QNetworkReply::socketStartedConnecting, this, [this] { Q_EMIT Status(THttpStatus::Connecting); });
    connect(reply, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64) {
        if (sent > 0)
            Q_EMIT Status(THttpStatus::Transfer);
    });
    connect(reply, &QNetworkReply::requestSent, this, [this] { Q_EMIT Status(THttpStatus::Connected); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const qint64 size = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        Q_EMIT WorkBegin(size);
        if (size > m_limits.MaxReplyBytes)
            BreakOff(TBreak::TooLarge, QStringLiteral("announced %1 bytes").arg(size));
    });
    // An endless stream is cut off by size, before the bytes that would pass the limit
    // are taken.
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (m_body.size() + reply->bytesAvailable() > m_limits.MaxReplyBytes)
            BreakOff(TBreak::TooLarge, QStringLiteral("more than %1 bytes").arg(m_limits.MaxReplyBytes));
        else
            m_body.append(reply->readAll());
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 done, qint64) {
        Q_EMIT Work(done);
        if (done > m_limits.MaxReplyBytes)
            BreakOff(TBreak::TooLarge, QStringLiteral("more than %1 bytes").arg(m_limits.MaxReplyBytes));
    });
    // An untrusted certificate is never accepted here: the system must trust it.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError> &errors) {
        QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
        for (const QSslError &error : errors) {
            if (certificate.isNull())
                certificate = error.certificate();
        }
        if (!certificate.isNull())
            m_untrusted = Fingerprint(certificate);
    });
}
