#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// What reading a store file found.
enum class StoreFileState {
    Missing,     // nothing at that path (or the store folder is not there)
    Read,        // every byte was read
    Unreadable,  // something is there but could not be read: no permission, not a regular file,
                 // a link that leads nowhere or round in a loop, an I/O error
};

// Reads the whole store file. On Unreadable, reason says why; the file must then be left alone:
// it is neither damaged nor missing, only out of reach.
StoreFileState ReadStoreBytes(const QString& path, QByteArray* bytes, QString* reason);

// What identifies a file's version on disk: an atomic replacement gives a new inode, an in-place
// write a new time or size.
struct FileStamp {
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const QString& path);

// True when path names pro.data or macro.data of the data folder, however it is spelled: through
// symbolic links (also to a store not yet created), relative parts or another hard link.
bool IsStoreFile(const QString& path, const QString& dataFolder);
