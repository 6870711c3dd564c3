#include "core/storage/store_files.h"

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

StoreLoadResult LoadExistingStore(const QString& path, const std::function<QString(QFile&)>& read,
                                  const std::function<void()>& repair, const std::function<bool()>& save)
{
    StoreLoadResult result;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        result.problem = read(file);
    else
        result.problem = QStringLiteral("the file cannot be read: %1").arg(file.errorString());
    file.close();
    if (result.problem.isEmpty())
        return result;

    qCWarning(lcStorage) << path << "is damaged:" << result.problem;
    result.outcome = StoreLoadResult::Outcome::Repaired;
    repair();
    result.keptAsidePath = KeepAside(path);
    result.saved = !result.keptAsidePath.isEmpty() && save();
    return result;
}

bool ReadRecordFile(const QString& path, void* into, qint64 size, const QString& kind, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const qint64 got = file.read(static_cast<char*>(into), size);
    if (got != size) {
        *error = QStringLiteral("%1 is not a %2 file: it holds %3 bytes, a %2 needs %4")
                     .arg(path, kind)
                     .arg(qMax<qint64>(got, 0))
                     .arg(size);
        return false;
    }
    return true;
}
