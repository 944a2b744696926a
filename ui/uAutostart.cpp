#include "uAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "uDebugLog.h"

namespace {

const QString ReservedInExec = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const QString EscapedInQuotes = QStringLiteral("\"`$\\");

// The escapes every string value of a desktop entry has.
QString EscapeValue(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// `path` as one argument of the Exec key: quoted where it holds a reserved character,
// with the escapes inside quotes, for field codes and of the value itself.
QString DesktopExecArgument(const QString &path)
{
    QString argument;
    bool quote = false;
    for (const QChar c : path) {
        quote = quote || ReservedInExec.contains(c);
        // Each of these is reserved, so they only ever stand inside quotes.
        if (EscapedInQuotes.contains(c))
            argument += QLatin1Char('\\');
        argument += c;
    }
    if (quote)
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    // A literal percent sign, not a field code.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return EscapeValue(argument);
}

} // namespace

QString AutostartFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/" BV_APP_ID ".desktop");
}

bool AutostartEnabled()
{
    return QFileInfo::exists(AutostartFilePath());
}

bool SetAutostart(bool enabled, const QString &program)
{
    const QString path = AutostartFilePath();
    if (!enabled) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        DebugLog(DebugLevel::Always, QStringLiteral("Cannot remove %1").arg(path));
        return false;
    }
    QSaveFile file(path);
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Belvora Webmaster Monitor\n"
                                            "Exec=%1\n"
                                            "Icon=" BV_APP_ID "\n"
                                            "Terminal=false\n")
                                 .arg(DesktopExecArgument(program))
                                 .toUtf8();
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(entry) == entry.size() && file.commit())
        return true;
    DebugLog(DebugLevel::Always, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    return false;
}
