#include "uSingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

#include "uDebugLog.h"

namespace {

constexpr int RetryMs = 20;
// Anything longer is not one of ours.
constexpr qint64 MaxLineSize = 64;
constexpr qint64 MaxAnswerSize = 4096;
const QByteArray UnknownRequest = "?";

// One name per data folder; the same folder reached through a link gives the same name.
QString SocketPathFor(const QString &folder, const QString &socketFolder)
{
    if (socketFolder.isEmpty())
        return QString();
    const QFileInfo info(folder);
    const QString path = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return socketFolder + QStringLiteral("/bvmonitor-") + QString::fromLatin1(hash);
}

// The user at the other end of a connected local socket.
bool IsSameUser(const QLocalSocket &socket)
{
    struct ucred peer = {};
    socklen_t size = sizeof(peer);
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
        && peer.uid == ::geteuid();
}

} // namespace

TSingleInstance::TSingleInstance(const QString &folder, const QString &socketFolder, QObject *parent)
    : QObject(parent)
    , m_lock(folder + QStringLiteral("/bvmonitor.lock"))
    , m_socketPath(SocketPathFor(folder, socketFolder))
{
    // Held for the whole run, so never stale by age; only a gone holder makes it stale.
    m_lock.setStaleLockTime(0);
}

bool TSingleInstance::TryBecomePrimary()
{
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError) {
            DebugLog(DebugLevel::Always, QStringLiteral("Cannot lock %1: running without the one-instance guard")
                                             .arg(m_lock.fileName()));
            return true;
        }
        // Qt only sees a lock as stale when it can read a process of this host that is
        // gone. An empty, garbled or other host's file stays, unless no one holds it.
        if (!m_lock.removeStaleLockFile() || !m_lock.tryLock(0))
            return false;
    }
    Listen();
    return true;
}

void TSingleInstance::Answer(const QByteArray &request, std::function<QByteArray()> answer)
{
    m_answers.insert(request, std::move(answer));
}

void TSingleInstance::Listen()
{
    if (m_socketPath.isEmpty()) {
        DebugLog(DebugLevel::Always, QStringLiteral("No private folder for the one-instance socket"));
        return;
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath)) {
        // A socket left by a killed instance: ours now, since we hold the lock.
        QLocalServer::removeServer(m_socketPath);
        if (!m_server.listen(m_socketPath))
            DebugLog(DebugLevel::Always,
                     QStringLiteral("Cannot listen on %1: %2").arg(m_socketPath, m_server.errorString()));
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!IsSameUser(*socket)) {
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
            ReadRequest(socket);
        }
    });
}

void TSingleInstance::ReadRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxLineSize)
            socket->abort();
        return;
    }
    const QByteArray request = socket->readLine(MaxLineSize).trimmed();
    const auto answer = m_answers.constFind(request);
    DebugLog(DebugLevel::Requests, QStringLiteral("Instance request: %1").arg(QString::fromLatin1(request)));
    socket->write((answer != m_answers.cend() ? (*answer)() : UnknownRequest) + '\n');
    socket->disconnectFromServer();
}

std::optional<QByteArray> TSingleInstance::Ask(const QByteArray &request, int timeoutMs, bool waitForListener) const
{
    if (m_socketPath.isEmpty())
        return std::nullopt;
    // The running one may be between taking the lock and listening: try for a moment.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (!waitForListener || deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(RetryMs);
    }
    if (!IsSameUser(socket))
        return std::nullopt;
    socket.write(request + '\n');
    // A stopped or hung instance accepts the connection but never answers.
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || socket.bytesAvailable() > MaxAnswerSize
            || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
    return socket.readLine(MaxAnswerSize).trimmed();
}
