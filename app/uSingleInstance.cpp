#include "uSingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

#include "uDebugLog.h"

namespace {

const QByteArray ShowRequest = "show\n";
constexpr int RetryMs = 20;
// Anything longer is not one of ours.
constexpr qint64 MaxRequestSize = 64;

// Per user and per folder; the same folder reached through a link gives the same name.
QString ServerName(const QString &folder)
{
    const QFileInfo info(folder);
    const QString path = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("bvmonitor-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

} // namespace

TSingleInstance::TSingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_lock(folder + QStringLiteral("/bvmonitor.lock"))
    , m_serverName(ServerName(folder))
{
    // Held for the whole run, so never stale by age; only a dead owner makes it stale.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0)) {
        m_primary = true;
        Listen();
    } else if (m_lock.error() != QLockFile::LockFailedError) {
        m_primary = true;
        DebugLog(DebugLevel::Always, QStringLiteral("Cannot lock %1: running without the one-instance guard")
                                         .arg(m_lock.fileName()));
    }
}

void TSingleInstance::Listen()
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_serverName)) {
        // A socket left by a killed instance: ours now, since we hold the lock.
        QLocalServer::removeServer(m_serverName);
        if (!m_server.listen(m_serverName))
            DebugLog(DebugLevel::Always,
                     QStringLiteral("Cannot listen on %1: %2").arg(m_serverName, m_server.errorString()));
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
            ReadRequest(socket);
        }
    });
}

void TSingleInstance::ReadRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > MaxRequestSize) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QByteArray request = socket->readLine(MaxRequestSize);
    socket->disconnectFromServer();
    if (request == ShowRequest) {
        DebugLog(DebugLevel::Requests, QStringLiteral("Second start: showing the main window"));
        Q_EMIT ShowRequested();
    }
}

bool TSingleInstance::AskPrimaryToShow()
{
    // The running one may be between taking the lock and listening: try for a moment.
    const QDeadlineTimer deadline(AskTimeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(RetryMs);
    }
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    socket.disconnectFromServer();
    return true;
}
