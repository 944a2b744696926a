#pragma once

#include <QByteArray>
#include <QHash>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <optional>

class QLocalSocket;

// One monitor per data folder: two would overwrite each other's settings and day file
// and sign each other off. The first start holds a lock file in the folder and listens
// on a local socket in a folder only this user can reach; a later start finds the lock
// taken and asks the holder through the socket. A lock whose holder is gone (killed,
// an empty or foreign file) is removed and taken over: the kernel's lock on the file,
// held for as long as the holder lives, tells.
//
// The socket speaks one line each way: a request word, then its answer, so a request
// kind is one more Answer() call. Both ends check that the other is this user.
class TSingleInstance final : public QObject
{
    Q_OBJECT
public:
    // `socketFolder` empty: no socket, so a later start gets no answer.
    TSingleInstance(const QString &folder, const QString &socketFolder, QObject *parent = nullptr);

    // Takes the folder's lock and listens; false while a live process holds it. Also
    // true when no lock can be made there at all (a folder we cannot write): running
    // unguarded beats not running.
    bool TryBecomePrimary();
    // Registers how the running instance answers `request` (one word).
    void Answer(const QByteArray &request, std::function<QByteArray()> answer);
    // Asks the running instance; nothing when it gave no answer within `timeoutMs`. A
    // start waits for an instance that is still starting to listen; a query
    // (`waitForListener` false) takes no one listening as no one running.
    std::optional<QByteArray> Ask(const QByteArray &request, int timeoutMs = AnswerTimeoutMs,
                                  bool waitForListener = true) const;

    QString SocketPath() const { return m_socketPath; }

    static constexpr int AnswerTimeoutMs = 3000;
    static inline const QByteArray ShowRequest = "show";
    static inline const QByteArray Done = "ok";
    static inline const QByteArray StatusRequest = "status";

private:
    void Listen();
    void ReadRequest(QLocalSocket *socket);

    QLockFile m_lock;
    QString m_socketPath;
    QLocalServer m_server;
    QHash<QByteArray, std::function<QByteArray()>> m_answers;
};
