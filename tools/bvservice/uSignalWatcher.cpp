#include "uSignalWatcher.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe just drops the byte.
    [[maybe_unused]] const ssize_t written = ::write(Pipe[0], &byte, 1);
}

} // namespace

TSignalWatcher::TSignalWatcher(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, Pipe) != 0)
        return;
    Notifier = std::make_unique<QSocketNotifier>(Pipe[1], QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, &TSignalWatcher::Readable);

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

TSignalWatcher::~TSignalWatcher()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    Notifier.reset();
    for (int &fd : Pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TSignalWatcher::Readable()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(Pipe[1], &byte, 1);
    emit Stop();
}
