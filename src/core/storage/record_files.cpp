#include "core/storage/record_files.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/storage/store_access.h"
#include "core/storage/store_files.h"

namespace {

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

TransferError ReadRecordFile(const QString& path, const QString& dataFolder, void* into, qint64 size,
                             const QString& kind)
{
    using Kind = TransferError::Kind;
    if (IsStoreFile(path, dataFolder))
        return {Kind::StoreFile, QStringLiteral("%1 is one of the stores; it cannot be imported").arg(path)};
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return {Kind::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, ErrnoText(errno))};
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return {Kind::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, ErrnoText(errno))};
    if (!S_ISREG(info.st_mode))
        return {Kind::Unreadable, QStringLiteral("cannot read %1: it is not a regular file").arg(path)};
    const auto wrongSize = [&](qint64 got) {
        return TransferError{Kind::Damaged, QStringLiteral("%1 is not a %2 file: it holds %3 bytes, a %2 needs %4")
                                                .arg(path, kind)
                                                .arg(got)
                                                .arg(size)};
    };
    if (info.st_size != size)
        return wrongSize(info.st_size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::read(file.get(), static_cast<char*>(into) + done, std::size_t(size - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {Kind::Unreadable, QStringLiteral("cannot read %1: %2").arg(path, ErrnoText(errno))};
        if (got == 0)
            return wrongSize(done);  // it shrank while it was read
        done += got;
    }
    return {};
}

TransferError WriteRecordFile(const QString& path, const QString& dataFolder, QByteArrayView bytes)
{
    using Kind = TransferError::Kind;
    if (IsStoreFile(path, dataFolder))
        return {Kind::StoreFile, QStringLiteral("%1 is one of the stores; it cannot be exported to").arg(path)};
    // The file is replaced by renaming a new one over it: a pipe or a device there would be
    // replaced, not written to.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return {Kind::Unwritable, QStringLiteral("cannot write %1: it is not a regular file").arg(path)};
    if (!WriteFileAtomically(path, {bytes}))
        return {Kind::Unwritable, QStringLiteral("cannot write %1").arg(path)};
    return {};
}
