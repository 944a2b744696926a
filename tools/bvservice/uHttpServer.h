#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <functional>

#include "uHttpMessage.h"

class QTcpSocket;

using THttpHandler = std::function<THttpAnswer(const THttpRequest &request)>;

// One client connection: reads requests one after another (keep-alive), hands each to
// the handler and writes its answer, waiting out an answer's delay before reading on.
// Owns its socket and deletes itself when the socket goes.
class THttpConnection final : public QObject
{
    Q_OBJECT
public:
    THttpConnection(QTcpSocket *socket, const THttpHandler &handler, QObject *parent);
    THttpConnection(const THttpConnection &) = delete;
    THttpConnection &operator=(const THttpConnection &) = delete;

private:
    void SocketReadyRead();
    void ProcessBuffer();
    void Deliver(const THttpAnswer &answer, bool keepAlive);
    void CloseAfterWrite();
    void Abort();
    void StartEndless(const THttpResponse &response);
    void FeedEndless();
    void StartDrip(const QByteArray &bytes, int bytesPerSecond, bool keep);
    void FeedHeaders();

    QTcpSocket *Socket;
    THttpHandler Handler;
    QByteArray Buffer;
    QTimer IdleTimer;
    QTimer DripTimer;
    QByteArray Dripping;          // what a drip has still to send
    int HeaderCount = 0;
    bool Answering = false;       // a delayed answer is pending (or one that never ends); later requests wait
    bool ContinueSent = false;
    bool Closing = false;
};

// The listening side: 127.0.0.1 only, one THttpConnection per accepted client.
class THttpServer final : public QObject
{
    Q_OBJECT
public:
    explicit THttpServer(THttpHandler handler, QObject *parent = nullptr);

    bool Listen(quint16 port);
    quint16 Port() const;
    QString ErrorString() const;
    void Close();

private:
    void NewConnection();

    QTcpServer Server;
    THttpHandler Handler;
};
