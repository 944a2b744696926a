#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

class QLocalSocket;

// One monitor per data folder: two would overwrite each other's settings and day file
// and sign each other off. The first start holds a lock file in the folder and listens
// on a local socket named after it; a later start finds the lock taken, asks the holder
// through the socket to show its window, and ends. A lock left by a killed instance
// names a process that is gone, so the next start takes it over.
class TSingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit TSingleInstance(const QString &folder, QObject *parent = nullptr);

    // This process may run on the folder. Also true when no lock can be made there at
    // all (a folder we cannot write): running unguarded beats not running.
    bool IsPrimary() const { return m_primary; }
    // Asks the running instance to show its main window; false when none took the
    // request within AskTimeoutMs.
    bool AskPrimaryToShow();

    static constexpr int AskTimeoutMs = 1000;

Q_SIGNALS:
    // A later start asked for the main window.
    void ShowRequested();

private:
    void Listen();
    void ReadRequest(QLocalSocket *socket);

    QLockFile m_lock;
    QString m_serverName;
    QLocalServer m_server;
    bool m_primary = false;
};
