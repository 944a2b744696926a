#include "uDebugLog.h"

#include <QDebug>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "uClock.h"
#include "uCodec.h"
#include "uSettings.h"

namespace {

// The log holds the account key. Never through a link, never a file that someone else
// made, may read or change, or that has a second name (a FIFO or a device neither).
int OpenLog()
{
    const int fd = ::open(DebugLogFileName, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0 || info.st_nlink != 1) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool DebugLogEnabled(int level)
{
    // With the debug setting off there is no log file at all, whatever the level.
    return Settings.Debug != 0 && (level == DebugLevel::Always || (Settings.Debug & level) != 0);
}

void DebugLog(int level, const QString &message)
{
    if (!DebugLogEnabled(level)) {
        // What always matters is not lost: standard error, as any desktop program's.
        if (level == DebugLevel::Always)
            qWarning().noquote() << message;
        return;
    }
    const int fd = OpenLog();
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle))
        return;
    // A line end inside a message (reply text, say) must not forge a line of its own.
    QString text = message;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = Clock::Now().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))
        + QLatin1Char(' ') + text + QLatin1String("\r\n");
    file.write(Codec::Encode(line));
}
