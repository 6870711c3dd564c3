#include "core/storage/store_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "core/storage/store_files.h"

namespace {

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Where a path finally leads once every symbolic link in its last part is followed, even when
// the end does not exist (yet). Links that go round end after the system's limit.
QString FollowLinks(const QString& path)
{
    constexpr int kLinkLimit = 40;
    QString current = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < kLinkLimit; ++i) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            break;
        current = info.symLinkTarget();
    }
    return current;
}

// The place a path names: its folder made canonical (when that folder exists) and its name.
QString PlaceOf(const QString& path)
{
    const QFileInfo info(FollowLinks(path));
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? QDir::cleanPath(info.absolutePath()) : folder) + QLatin1Char('/') + info.fileName();
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    const QByteArray aPath = QFile::encodeName(a);
    const QByteArray bPath = QFile::encodeName(b);
    if (::stat(aPath.constData(), &first) == 0 && ::stat(bPath.constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return PlaceOf(a) == PlaceOf(b);
}

}  // namespace

StoreFileState ReadStoreBytes(const QString& path, QByteArray* bytes, QString* reason)
{
    bytes->clear();
    const QByteArray native = QFile::encodeName(path);
    struct stat entry {};
    if (::lstat(native.constData(), &entry) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return StoreFileState::Missing;
        *reason = ErrnoText(errno);
        return StoreFileState::Unreadable;
    }
    struct stat target {};
    if (::stat(native.constData(), &target) != 0) {
        *reason = errno == ENOENT ? QStringLiteral("it is a link to a file that is not there") : ErrnoText(errno);
        return StoreFileState::Unreadable;
    }
    // Opening a pipe or a device could wait for ever or read something that is not ours.
    if (!S_ISREG(target.st_mode)) {
        *reason = S_ISDIR(target.st_mode) ? ErrnoText(EISDIR) : QStringLiteral("it is not a regular file");
        return StoreFileState::Unreadable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return StoreFileState::Unreadable;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        bytes->clear();
        return StoreFileState::Unreadable;
    }
    return StoreFileState::Read;
}

FileStamp StampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    return stamp;
}

bool IsStoreFile(const QString& path, const QString& dataFolder)
{
    return SameFile(path, ProfileStorePath(dataFolder)) || SameFile(path, MacroStorePath(dataFolder));
}
