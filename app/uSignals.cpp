#include "uSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

int TTerminationSignals::s_fds[2] = {-1, -1};

TTerminationSignals::TTerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(s_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char signal = 0;
        if (::read(s_fds[1], &signal, 1) > 0)
            Q_EMIT Terminate();
    });
    struct sigaction action = {};
    action.sa_handler = &TTerminationSignals::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals()
{
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        ::signal(sig, SIG_DFL);
    for (int &fd : s_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TTerminationSignals::Handler(int signal)
{
    // Only async-signal-safe work here: one byte down the pipe.
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(s_fds[0], &byte, 1);
}
