#include "uDataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include "uSettings.h"

namespace {

// The parents as usual; the folder itself is the user's alone from the moment it exists.
void MakePrivateFolder(const QString &path)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QDir().mkdir(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool IsInstalledCopy(const QString &executableDir)
{
    return QFileInfo::exists(executableDir + QStringLiteral("/" BV_BIN_TO_DATA "/applications/" BV_APP_ID ".desktop"));
}

// lstat: a link is judged as the link, not as what it points at.
bool Stat(const QString &path, struct stat &info)
{
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// This user's, and no one else may change what it holds.
bool IsOwnClosed(const struct stat &info)
{
    return info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool IsOwnClosedFolder(const QString &path)
{
    struct stat info = {};
    return !path.isEmpty() && Stat(path, info) && S_ISDIR(info.st_mode) && IsOwnClosed(info);
}

} // namespace

QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir)
{
    if (userDataDir.isEmpty() || (!IsInstalledCopy(executableDir) && IsOwnClosedFolder(executableDir)
                                   && QFileInfo(executableDir).isWritable()))
        return executableDir;
    // Errors are ignored as for the other folders: a missing folder reads as defaults.
    MakePrivateFolder(userDataDir);
    return userDataDir;
}

QString DefaultProgramDir()
{
    return ChooseProgramDir(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QString ForeignEntry(const QString &programDir)
{
    // The folder may be reached through a link of the user's own making; what it holds may not.
    const QString folder = QFileInfo(programDir).canonicalFilePath();
    struct stat info = {};
    if (folder.isEmpty())
        return QString();
    if (!Stat(folder, info) || !IsOwnClosed(info))
        return QDir::toNativeSeparators(programDir);
    for (const QString &name : {QString::fromLatin1(SettingsFileName), QStringLiteral("History"), QStringLiteral("Bitmaps")}) {
        const QString path = folder + QLatin1Char('/') + name;
        if (Stat(path, info) && (S_ISLNK(info.st_mode) || !IsOwnClosed(info)))
            return path;
    }
    return QString();
}

QString PrivateRuntimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && IsOwnClosedFolder(runtime))
        return runtime;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    MakePrivateFolder(data);
    return IsOwnClosedFolder(data) ? data : QString();
}
