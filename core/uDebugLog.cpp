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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString line = Clock::Now().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))
        + QLatin1Char(' ') + message + QLatin1String("\r\n");
    file.write(Codec::Encode(line));
}
