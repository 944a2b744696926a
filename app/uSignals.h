#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop, so the program
// ends as if its window were closed (sign off, save settings, save the day).
class TTerminationSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TTerminationSignals(QObject *parent = nullptr);
    ~TTerminationSignals() override;

Q_SIGNALS:
    void Terminate();

private:
    static void Handler(int signal);
    static int s_fds[2];
    QSocketNotifier *m_notifier = nullptr;
};
