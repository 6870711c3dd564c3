#include "core/storage/store_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <mutex>

#include "core/storage/store_access.h"

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

namespace {

bool HoldsBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.size() != bytes.size() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.readAll() == bytes;
}

}  // namespace

QString KeepAside(const QString& path, const QByteArray& bytes)
{
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 1; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n) {
        if (HoldsBytes(aside, bytes)) {
            qCWarning(lcStorage) << "damaged" << path << "is already kept as" << aside;
            return aside;
        }
        aside = path + QStringLiteral(".damaged.") + QString::number(n);
    }
    // The copy is made from the bytes that were read, so it holds exactly what was found wrong.
    if (WriteFileAtomically(aside, {QByteArrayView(bytes)})) {
        qCWarning(lcStorage) << "kept damaged" << path << "as" << aside;
        return aside;
    }
    qCWarning(lcStorage) << "could not keep" << path << "aside";
    return {};
}

StoreLoadResult LoadStoreFile(const QString& path, const std::function<QString(const QByteArray&)>& parse,
                              const std::function<void()>& repair, const std::function<bool()>& save,
                              const std::function<void(StoreLoadResult&)>& missing,
                              const std::function<void()>& unreadable)
{
    StoreLoadResult result;
    QByteArray bytes;
    QString reason;
    switch (ReadStoreBytes(path, &bytes, &reason)) {
    case StoreFileState::Missing:
        result.outcome = StoreLoadResult::Outcome::Missing;
        missing(result);
        return result;
    case StoreFileState::Unreadable:
        qCWarning(lcStorage) << path << "cannot be read:" << reason;
        result.outcome = StoreLoadResult::Outcome::Unreadable;
        result.problem = reason;
        result.saved = false;
        unreadable();
        return result;
    case StoreFileState::Read:
        break;
    }
    result.problem = parse(bytes);
    if (result.problem.isEmpty())
        return result;

    qCWarning(lcStorage) << path << "is damaged:" << result.problem;
    result.outcome = StoreLoadResult::Outcome::Repaired;
    repair();
    result.keptAsidePath = KeepAside(path, bytes);
    result.saved = !result.keptAsidePath.isEmpty() && save();
    return result;
}
