#include "core/storage/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kDataFolderName = QStringLiteral("Karvo Gaming Mouse");

QString WithTrailingSeparator(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// A file (not a folder) with the folder's name counts as missing.
bool IsDirectory(const QString& path)
{
    return QFileInfo(path).isDir();
}

QString ProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
#ifdef Q_OS_LINUX
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
#else
    return QDir::currentPath();
#endif
}

}  // namespace

QString GetAppFolder()
{
    return WithTrailingSeparator(QDir::cleanPath(ProgramFolder()));
}

QString GetDataFolder()
{
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (userData.isEmpty() || QDir::isRelativePath(userData)) {
        const QString fallback = GetAppFolder() + QStringLiteral("Data");
        if (!IsDirectory(fallback))
            QDir().mkdir(fallback);
        return fallback + QLatin1Char('/');
    }

    const QString result = WithTrailingSeparator(userData) + kDataFolderName + QLatin1Char('/');
    // The user's data location is made whole when missing, as the desktop would; our own folder
    // is one level inside it. Failures are left to the file operations that follow.
    if (!IsDirectory(userData) && !QDir().mkpath(userData))
        return result;
    const QString ownFolder = WithTrailingSeparator(userData) + kDataFolderName;
    if (!IsDirectory(ownFolder))
        QDir().mkdir(ownFolder);
    return result;
}
