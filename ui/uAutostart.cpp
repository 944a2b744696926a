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
// An autostart entry is a few lines; a huge file there is not ours to read whole.
constexpr qint64 MaxEntrySize = 64 * 1024;

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

// The session reads these as "do not start": what its own tools write when the user
// unticks the entry.
bool SwitchedOff(const QByteArray &entry)
{
    bool inMainGroup = false;
    for (const QByteArray &raw : entry.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[Desktop Entry]";
        const int equals = line.indexOf('=');
        if (!inMainGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

} // namespace

QString AutostartFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/" BV_APP_ID ".desktop");
}

bool AutostartEnabled()
{
    QFile file(AutostartFilePath());
    return file.open(QIODevice::ReadOnly) && !SwitchedOff(file.read(MaxEntrySize));
}

QString AutostartProgram(const QString &program)
{
    if (!program.contains(QLatin1Char('%')))
        return program;
    // GLib and systemd look for the program before they undo "%%": only a path without
    // a percent sign starts. The same program found on the PATH has one.
    const QString onPath = QStandardPaths::findExecutable(QFileInfo(program).fileName());
    if (!onPath.isEmpty() && !onPath.contains(QLatin1Char('%'))
        && QFileInfo(onPath).canonicalFilePath() == QFileInfo(program).canonicalFilePath())
        return onPath;
    return QString();
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
    const QString started = AutostartProgram(program);
    if (started.isEmpty()) {
        DebugLog(DebugLevel::Always, QStringLiteral("Cannot start %1 at login: a percent sign in its path").arg(program));
        return false;
    }
    QSaveFile file(path);
    // TryExec: once the program is removed, the session skips the entry.
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Belvora Webmaster Monitor\n"
                                            "TryExec=%1\n"
                                            "Exec=%2\n"
                                            "Icon=" BV_APP_ID "\n"
                                            "Terminal=false\n")
                                 .arg(EscapeValue(started), DesktopExecArgument(started))
                                 .toUtf8();
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(entry) == entry.size() && file.commit())
        return true;
    DebugLog(DebugLevel::Always, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    return false;
}
