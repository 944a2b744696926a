#include "uDebugLog.h"

#include <QFile>

#include "uClock.h"
#include "uCodec.h"
#include "uSettings.h"

bool DebugLogEnabled(int level)
{
    return level == DebugLevel::Always || (Settings.Debug & level) != 0;
}

void DebugLog(int level, const QString &message)
{
    if (!DebugLogEnabled(level))
        return;
    QFile file(QString::fromLatin1(DebugLogFileName));
    // The log holds the account key: a new file is for its owner's eyes only.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return;
    // A line end inside a message (reply text, say) must not forge a line of its own.
    QString text = message;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = Clock::Now().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))
        + QLatin1Char(' ') + text + QLatin1String("\r\n");
    file.write(Codec::Encode(line));
}
