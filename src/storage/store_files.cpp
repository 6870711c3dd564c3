#include "storage/store_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <mutex>

Q_LOGGING_CATEGORY(lcStorage, "karvo.storage")

namespace {
std::mutex g_storeWriteMutex;
}

QString StoreFolderPath(const QString& dataFolder)
{
    return dataFolder + QStringLiteral("ms_1");
}

QString ProfileStorePath(const QString& dataFolder)
{
    return StoreFolderPath(dataFolder) + QStringLiteral("/pro.data");
}

QString MacroStorePath(const QString& dataFolder)
{
    return StoreFolderPath(dataFolder) + QStringLiteral("/macro.data");
}

bool EnsureStoreFolder(const QString& dataFolder)
{
    const QString folder = StoreFolderPath(dataFolder);
    if (QFileInfo(folder).isDir())
        return true;
    QDir().mkdir(folder);
    return QFileInfo(folder).isDir();
}

bool WriteFileAtomically(const QString& path, std::span<const QByteArrayView> chunks)
{
    std::lock_guard lock(g_storeWriteMutex);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcStorage) << "cannot write" << path << file.errorString();
        return false;
    }
    for (QByteArrayView chunk : chunks) {
        if (file.write(chunk.data(), chunk.size()) != chunk.size()) {
            qCWarning(lcStorage) << "write failed" << path << file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        qCWarning(lcStorage) << "commit failed" << path << file.errorString();
        return false;
    }
    return true;
}

bool WriteFileAtomically(const QString& path, std::initializer_list<QByteArrayView> chunks)
{
    return WriteFileAtomically(path, std::span<const QByteArrayView>(chunks.begin(), chunks.size()));
}

QString KeepAside(const QString& path)
{
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged.") + QString::number(n);
    // A copy leaves the original in place until the repaired file replaces it atomically; a file
    // that cannot even be read is moved aside instead.
    if (QFile::copy(path, aside) || QFile::rename(path, aside)) {
        qCWarning(lcStorage) << "kept damaged" << path << "as" << aside;
        return aside;
    }
    qCWarning(lcStorage) << "could not keep" << path << "aside";
    return {};
}
