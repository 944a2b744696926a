#include "uPost.h"

#include <QEventLoop>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSslCertificate>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>

#include "uDebugLog.h"

namespace {

// What the socket may read ahead of the reader; the reader takes it at once.
constexpr qint64 ReadBufferBytes = 256 * 1024;
constexpr int MsPerSecond = 1000;
constexpr quint16 HttpPort = 80;
constexpr quint16 HttpsPort = 443;

// A closed connection reads the same whether the reply had begun or not.
const QString ClosedText = QStringLiteral("Verbinding gesloten voordat het antwoord compleet was");
const QString UnreadableText = QStringLiteral("Onleesbaar antwoord van de server");

// The socket's texts are English, or Dutch only in part: every error gets one of ours.
QString SocketErrorText(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Verbinding geweigerd door de server");
    case QAbstractSocket::RemoteHostClosedError:
        return ClosedText;
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Server niet gevonden");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("Server niet bereikt binnen de tijd");
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::TemporaryError:
        return QStringLiteral("Geen netwerk beschikbaar");
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QStringLiteral("Beveiligde verbinding met de server mislukt");
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QStringLiteral("Fout bij de proxyserver");
    default:
        return QStringLiteral("Netwerkfout (%1)").arg(int(error));
    }
}

QString Fingerprint(const QSslCertificate &certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace

TPost::TPost(QNetworkCookieJar &cookies, const TPostLimits &limits)
    : m_cookies(cookies), m_limits(limits), m_reader(limits.MaxHeadBytes, limits.MaxReplyBytes)
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
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

bool TPost::TransferRunning() const
{
    return m_running && !m_ended;
}

QByteArray TPost::RequestBytes(const TPostRequest &request) const
{
    const QUrl &url = request.Url;
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() >= 0)
        host += ':' + QByteArray::number(url.port());

    QByteArray bytes = "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto &[name, value] : request.Headers)
        bytes += name + ": " + value + "\r\n";
    const QList<QNetworkCookie> cookies = m_cookies.cookiesForUrl(url);
    if (!cookies.isEmpty()) {
        QByteArrayList pairs;
        for (const QNetworkCookie &cookie : cookies)
            pairs.append(cookie.toRawForm(QNetworkCookie::NameAndValueOnly));
        bytes += "Cookie: " + pairs.join("; ") + "\r\n";
    }
    // A connection of its own for every post: a request can never be sent again on a
    // connection the server closed meanwhile.
    bytes += "Content-Length: " + QByteArray::number(request.Body.size()) + "\r\nConnection: close\r\n\r\n";
    return bytes + request.Body;
}

TPostResult TPost::Run(const TPostRequest &request)
{
    m_url = request.Url;
    const bool secure = m_url.scheme() == QLatin1String("https");
    TPostResult result;
    if (!m_url.isValid() || m_url.host().isEmpty() || (!secure && m_url.scheme() != QLatin1String("http"))) {
        result.End = TPostResult::TEnd::Failed;
        result.Error = QStringLiteral("Adres van de server is onbruikbaar");
        return result;
    }
    if (secure && !QSslSocket::supportsSsl()) {
        result.End = TPostResult::TEnd::Failed;
        result.Error = QStringLiteral("Beveiligde verbinding niet mogelijk op deze computer");
        return result;
    }

    m_request = RequestBytes(request);
    if (secure) {
        auto socket = std::make_unique<QSslSocket>();
        connect(socket.get(), &QSslSocket::encrypted, this, &TPost::Send);
        connect(socket.get(), qOverload<const QList<QSslError> &>(&QSslSocket::sslErrors), this, &TPost::SslErrors);
        m_socket = std::move(socket);
    } else {
        m_socket = std::make_unique<QTcpSocket>();
        connect(m_socket.get(), &QAbstractSocket::connected, this, &TPost::Send);
    }
    m_socket->setReadBufferSize(ReadBufferBytes);
    connect(m_socket.get(), &QAbstractSocket::bytesWritten, this, &TPost::BytesWritten);
    connect(m_socket.get(), &QAbstractSocket::readyRead, this, &TPost::Read);
    connect(m_socket.get(), &QAbstractSocket::errorOccurred, this, &TPost::SocketError);

    m_running = true;
    m_offerCancel.start(m_limits.OfferCancelMs);
    m_stall.start(m_limits.StallMs);
    m_total.start(m_limits.TotalMs);
    Q_EMIT Status(THttpStatus::Connecting);
    const quint16 port = quint16(m_url.port(secure ? HttpsPort : HttpPort));
    if (secure)
        static_cast<QSslSocket *>(m_socket.get())->connectToHostEncrypted(m_url.host(), port);
    else
        m_socket->connectToHost(m_url.host(), port);
    if (!m_ended) {
        QEventLoop wait;
        m_wait = &wait;
        wait.exec();
        m_wait = nullptr;
    }
    // Only the program's quit ends the wait early: what came so far is not a reply.
    if (!m_ended)
        BreakOff(TBreak::Cancelled, QStringLiteral("the program ends"));
    m_offerCancel.stop();
    m_stall.stop();
    m_total.stop();
    m_socket->disconnect(this);
    m_socket->abort();

    result.BrokenOff = m_break != TBreak::None;
    const bool whole = m_failure.isEmpty() && m_reader.State() == THttpResponseReader::TState::Complete;
    result.WorkEnded = whole;
    if (m_break == TBreak::Cancelled) {
        result.End = TPostResult::TEnd::Cancelled;
    } else if (!whole) {
        result.End = TPostResult::TEnd::Failed;
        result.Error = m_failure;
    } else if (const int status = m_reader.Status(); status < 200 || status > 299) {
        result.End = TPostResult::TEnd::Failed;
        result.Error = QStringLiteral("Server antwoordde met HTTP-status %1").arg(status);
    } else {
        result.End = TPostResult::TEnd::Completed;
        result.Body = m_reader.Body();
        result.MessageHeader = m_reader.Header("MSG");
    }
    return result;
}

void TPost::Send()
{
    Progress();
    m_socket->write(m_request);
}

void TPost::BytesWritten(qint64 bytes)
{
    Progress();
    const bool first = m_written == 0;
    m_written += bytes;
    if (m_written >= m_request.size())
        Q_EMIT Status(THttpStatus::Connected);
    else if (first)
        Q_EMIT Status(THttpStatus::Transfer);
}

void TPost::Read()
{
    if (m_ended)
        return;
    // Head bytes count as progress too: an endless head meets its limit instead.
    Progress();
    const bool headBefore = m_reader.HeadRead();
    const qsizetype bodyBefore = m_reader.Body().size();
    const THttpResponseReader::TState state = m_reader.Feed(m_socket->readAll());
    if (!headBefore && m_reader.HeadRead())
        Q_EMIT WorkBegin(qMax<qint64>(m_reader.ContentLength(), 0));
    if (m_reader.Body().size() != bodyBefore)
        Q_EMIT Work(m_reader.Body().size());
    switch (state) {
    case THttpResponseReader::TState::Complete:
        End({});
        break;
    case THttpResponseReader::TState::TooLarge:
        DebugLog(DebugLevel::Requests, QStringLiteral("Post broken off: reply beyond its limit"));
        End(QStringLiteral("Antwoord is te groot"));
        break;
    case THttpResponseReader::TState::Malformed:
        End(UnreadableText);
        break;
    case THttpResponseReader::TState::Head:
    case THttpResponseReader::TState::Body:
        break;
    }
}

void TPost::SocketError(QAbstractSocket::SocketError error)
{
    if (m_ended)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        // What came before the close is read first; a reply that runs to the close ends here.
        Read();
        if (!m_ended)
            End(m_reader.Closed() == THttpResponseReader::TState::Complete ? QString() : ClosedText);
        return;
    }
    if (error == QAbstractSocket::SslHandshakeFailedError && !m_untrusted.isEmpty()) {
        End(QStringLiteral("Certificaat van de server niet vertrouwd (SHA-256 %1); het systeem moet dit "
                           "certificaat vertrouwen")
                .arg(m_untrusted));
        return;
    }
    End(SocketErrorText(error));
}

void TPost::SslErrors(const QList<QSslError> &errors)
{
    // Never ignored here: the system must trust the certificate.
    QSslCertificate certificate = static_cast<QSslSocket *>(m_socket.get())->peerCertificate();
    for (const QSslError &error : errors) {
        if (certificate.isNull())
            certificate = error.certificate();
    }
    if (!certificate.isNull())
        m_untrusted = Fingerprint(certificate);
}

void TPost::End(const QString &failure)
{
    if (m_ended)
        return;
    m_ended = true;
    m_failure = failure;
    for (const QByteArray &cookie : m_reader.Headers("set-cookie"))
        m_cookies.setCookiesFromUrl(QNetworkCookie::parseCookies(cookie), m_url);
    if (m_wait)
        m_wait->quit();
}

void TPost::Cancel(const QString &why)
{
    BreakOff(TBreak::Cancelled, why);
}

void TPost::BreakOff(TBreak reason, const QString &why)
{
    if (!TransferRunning())
        return;
    DebugLog(DebugLevel::Requests, QStringLiteral("Post broken off: %1").arg(why));
    m_break = reason;
    switch (reason) {
    case TBreak::NoProgress:
        End(QStringLiteral("Geen antwoord van de server binnen %1 s").arg(m_limits.StallMs / MsPerSecond));
        break;
    case TBreak::TooLong:
        End(QStringLiteral("Antwoord van de server niet compleet binnen %1 s").arg(m_limits.TotalMs / MsPerSecond));
        break;
    case TBreak::Cancelled:
    case TBreak::None:
        End({});
        break;
    }
}

void TPost::Progress()
{
    m_offerCancel.start();
    m_stall.start();
}
