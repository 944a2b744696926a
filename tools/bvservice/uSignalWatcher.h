#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread (the handler
// only writes a byte to a socket pair), so the service can stop cleanly.
class TSignalWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit TSignalWatcher(QObject *parent = nullptr);
    ~TSignalWatcher() override;

signals:
    void Stop();

private:
    void Readable();

    std::unique_ptr<QSocketNotifier> Notifier;
};
