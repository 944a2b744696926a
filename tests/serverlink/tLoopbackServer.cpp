#include "tLoopbackServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

TLoopbackServer::TLoopbackServer(QObject *parent)
    : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &TLoopbackServer::OnNewConnection);
}

QUrl TLoopbackServer::Url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
}

void TLoopbackServer::OnNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_hung.removeAll(socket);
            m_open.removeAll(socket);
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void TLoopbackServer::OnReadyRead(QTcpSocket *socket)
{
    m_pending[socket] += socket->readAll();
    const QPointer<QTcpSocket> guarded(socket);
    while (guarded) {
        QByteArray &data = m_pending[socket];
        const qsizetype headerEnd = data.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        TRecordedRequest request;
        const QList<QByteArray> lines = data.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.Method = requestLine.value(0);
        request.Path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.Headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.Headers.value("content-length", "0").toLongLong();
        if (data.size() < headerEnd + 4 + length)
            return;
        request.Body = data.mid(headerEnd + 4, length);
        data.remove(0, headerEnd + 4 + length);

        Requests.append(request);
        m_open.append(socket);
        MaxOpen = std::max(MaxOpen, int(m_open.size()));
        const TServerAction action = !m_script.empty() ? m_script.front()
            : m_responder                            ? m_responder(request)
                                                     : TServerAction::Reply(HttpReply({}));
        if (!m_script.empty())
            m_script.pop_front();
        Q_EMIT RequestReceived(int(Requests.size()) - 1);
        if (guarded)
            Perform(socket, action);
    }
}

void TLoopbackServer::Perform(QTcpSocket *socket, const TServerAction &action)
{
    QPointer<QTcpSocket> guarded(socket);
    int delay = 0;
    for (const TServerAction::TStep &step : action.Steps) {
        delay += step.DelayMs;
        QTimer::singleShot(delay, this, [guarded, bytes = step.Bytes] {
            if (guarded)
                guarded->write(bytes);
        });
    }
    QTimer::singleShot(delay, this, [this, guarded, close = action.Close] {
        if (!guarded)
            return;
        if (close)
            Finish(guarded);
        else
            m_hung.append(guarded);
    });
}

void TLoopbackServer::Finish(QTcpSocket *socket)
{
    m_open.removeAll(socket);
    socket->disconnectFromHost();
}

void TLoopbackServer::ReleaseHung(const QByteArray &raw)
{
    const QList<QTcpSocket *> hung = m_hung;
    m_hung.clear();
    for (QTcpSocket *socket : hung) {
        socket->write(raw);
        Finish(socket);
    }
}

QByteArray TLoopbackServer::HttpReply(const QByteArray &body, int status, const QByteArray &extraHeaders)
{
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Status") + "\r\n";
    reply += "Content-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    reply += "Connection: close\r\n" + extraHeaders + "\r\n";
    return reply + body;
}

QByteArray TLoopbackServer::Scramble(const QByteArray &plain, const QByteArray &key)
{
    QByteArray out(">");
    for (qsizetype i = 0; i < plain.size(); ++i)
        out.append(char(plain[i] ^ char(0xA5) ^ key[i % key.size()]));
    return out;
}

QByteArray TLoopbackServer::Unscramble(const QByteArray &hexBody, const QByteArray &key)
{
    const QByteArray bytes = QByteArray::fromHex(hexBody);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size() && !key.isEmpty(); ++i)
        out.append(char(bytes[i] ^ key[i % key.size()]));
    return out;
}

TLoopbackServer::TResponder TLoopbackServer::EchoResponder(const QByteArray &key, const QByteArray &data)
{
    return [key, data](const TRecordedRequest &request) {
        const QByteArray args = Unscramble(request.Body, key);
        QByteArray command = args.mid(2);
        command.truncate(command.indexOf('&') < 0 ? command.size() : command.indexOf('&'));
        return TServerAction::Reply(HttpReply(command + "\r\n" + data));
    };
}
