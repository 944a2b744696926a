#include "uHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

#include "uHttpParser.h"

namespace {

// A client that says nothing for this long loses its connection.
constexpr int IdleTimeoutMs = 60 * 1000;
// More unread input than a few whole requests is a flood, not a client.
constexpr qsizetype MaxBufferedBytes = 4 * (HttpParser::MaxHeadBytes + HttpParser::MaxBodyBytes);
// An endless answer goes out in chunks of this size, kept this far ahead of the client.
constexpr int EndlessChunkBytes = 64 * 1024;
constexpr qint64 EndlessAheadBytes = 4 * EndlessChunkBytes;
// A drip writes this often, its rate's share each time (at least a byte).
constexpr int DripStepMs = 100;

} // namespace

THttpConnection::THttpConnection(QTcpSocket *socket, const THttpHandler &handler, QObject *parent)
    : QObject(parent), Socket(socket), Handler(handler)
{
    Socket->setParent(this);
    connect(Socket, &QTcpSocket::readyRead, this, &THttpConnection::SocketReadyRead);
    connect(Socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    IdleTimer.setSingleShot(true);
    IdleTimer.setInterval(IdleTimeoutMs);
    connect(&IdleTimer, &QTimer::timeout, this, &THttpConnection::Abort);
    IdleTimer.start();
    if (Socket->bytesAvailable() > 0)
        SocketReadyRead();
}

void THttpConnection::SocketReadyRead()
{
    if (Closing)
        return;
    Buffer += Socket->readAll();
    if (Buffer.size() > MaxBufferedBytes) {
        Abort();
        return;
    }
    IdleTimer.start();
    ProcessBuffer();
}

void THttpConnection::ProcessBuffer()
{
    while (!Answering && !Closing) {
        THttpRequest request;
        const HttpParser::TResult result = HttpParser::Parse(Buffer, request);
        if (result.Kind == HttpParser::TResult::NeedMore) {
            if (result.ExpectContinue && !ContinueSent) {
                Socket->write("HTTP/1.1 100 Continue\r\n\r\n");
                ContinueSent = true;
            }
            return;
        }
        if (result.Kind == HttpParser::TResult::Error) {
            THttpResponse response = THttpResponse::Text(result.Status, ReasonPhrase(result.Status) + "\n");
            response.Close = true;
            Socket->write(response.Serialize(false));
            CloseAfterWrite();
            return;
        }
        Buffer.remove(0, result.Consumed);
        ContinueSent = false;
        const bool keepAlive = request.WantsKeepAlive();
        const THttpAnswer answer = Handler(request);
        if (answer.DelayMs > 0) {
            Answering = true;
            QTimer::singleShot(answer.DelayMs, this, [this, answer, keepAlive] {
                Answering = false;
                Deliver(answer, keepAlive);
                ProcessBuffer();
            });
            return;
        }
        Deliver(answer, keepAlive);
    }
}

void THttpConnection::Deliver(const THttpAnswer &answer, bool keepAlive)
{
    if (Closing)
        return;
    if (answer.Stream != THttpAnswer::TStream::None) {
        // The connection serves nothing else until a drip has ended; the other streams
        // only the client ends.
        Answering = true;
        IdleTimer.stop();
        if (answer.Stream == THttpAnswer::TStream::Endless)
            StartEndless(answer.Response);
        if (answer.Stream == THttpAnswer::TStream::Headers) {
            Socket->write("HTTP/1.1 200 OK\r\n");
            connect(Socket, &QTcpSocket::bytesWritten, this, &THttpConnection::FeedHeaders);
            FeedHeaders();
        }
        if (answer.Stream == THttpAnswer::TStream::Drip)
            StartDrip(answer.Response.Serialize(keepAlive), answer.DripRate, keepAlive);
        return;
    }
    const bool keep = keepAlive && !answer.Response.Close;
    const QByteArray bytes = answer.Response.Serialize(keep);
    if (answer.CutAt == 0) {
        Abort();
        return;
    }
    if (answer.CutAt > 0) {
        Socket->write(bytes.left(qMin(answer.CutAt, bytes.size() - 1)));
        CloseAfterWrite();
        return;
    }
    Socket->write(bytes);
    if (!keep)
        CloseAfterWrite();
    IdleTimer.start();
}

void THttpConnection::StartEndless(const THttpResponse &response)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.Status) + ' ' + ReasonPhrase(response.Status) + "\r\n";
    for (const auto &header : response.Headers)
        head += header.first + ": " + header.second + "\r\n";
    head += "Transfer-Encoding: chunked\r\n\r\n";
    head += QByteArray::number(response.Body.size(), 16) + "\r\n" + response.Body + "\r\n";
    Socket->write(head);
    connect(Socket, &QTcpSocket::bytesWritten, this, &THttpConnection::FeedEndless);
    FeedEndless();
}

void THttpConnection::FeedEndless()
{
    static const QByteArray chunk = QByteArray::number(EndlessChunkBytes, 16) + "\r\n"
        + QByteArray(EndlessChunkBytes, 'x') + "\r\n";
    while (Socket->state() == QAbstractSocket::ConnectedState && Socket->bytesToWrite() < EndlessAheadBytes)
        Socket->write(chunk);
}

void THttpConnection::FeedHeaders()
{
    while (Socket->state() == QAbstractSocket::ConnectedState && Socket->bytesToWrite() < EndlessAheadBytes)
        Socket->write("X-Vulling-" + QByteArray::number(++HeaderCount) + ": " + QByteArray(100, 'x') + "\r\n");
}

void THttpConnection::StartDrip(const QByteArray &bytes, int bytesPerSecond, bool keep)
{
    Dripping = bytes;
    // Slow rates go a byte at a time; faster ones in pieces every step.
    const int stepMs = bytesPerSecond >= 1000 / DripStepMs ? DripStepMs : 1000 / bytesPerSecond;
    const qsizetype piece = std::max<qsizetype>(1, qsizetype(bytesPerSecond) * stepMs / 1000);
    connect(&DripTimer, &QTimer::timeout, this, [this, piece, keep] {
        Socket->write(Dripping.left(piece));
        Dripping.remove(0, piece);
        if (!Dripping.isEmpty())
            return;
        DripTimer.stop();
        // Done: the connection serves as a normal answer would have left it.
        Answering = false;
        if (!keep) {
            CloseAfterWrite();
            return;
        }
        IdleTimer.start();
        ProcessBuffer();
    });
    DripTimer.start(stepMs);
}

void THttpConnection::CloseAfterWrite()
{
    Closing = true;
    IdleTimer.stop();
    // disconnectFromHost writes what is pending before it closes.
    Socket->disconnectFromHost();
    if (Socket->state() == QAbstractSocket::UnconnectedState)
        deleteLater();
}

void THttpConnection::Abort()
{
    Closing = true;
    IdleTimer.stop();
    Socket->abort();
    deleteLater();
}

THttpServer::THttpServer(THttpHandler handler, QObject *parent)
    : QObject(parent), Handler(std::move(handler))
{
    connect(&Server, &QTcpServer::newConnection, this, &THttpServer::NewConnection);
}

bool THttpServer::Listen(quint16 port)
{
    return Server.listen(QHostAddress::LocalHost, port);
}

quint16 THttpServer::Port() const
{
    return Server.serverPort();
}

QString THttpServer::ErrorString() const
{
    return Server.errorString();
}

void THttpServer::Close()
{
    Server.close();
}

void THttpServer::NewConnection()
{
    while (QTcpSocket *socket = Server.nextPendingConnection())
        new THttpConnection(socket, Handler, this);
}
