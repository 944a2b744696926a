#include "uDataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

} // namespace

QString ChooseProgramDir(const QString &executableDir, const QString &userDataDir)
{
    if (userDataDir.isEmpty() || (!IsInstalledCopy(executableDir) && QFileInfo(executableDir).isWritable()))
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
