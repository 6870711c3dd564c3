#pragma once

#include <QByteArrayView>
#include <QString>

// The one way in and the one way out for the single-record files users keep (*.pro, *.macro),
// the same for the window, the D-Bus service and karvoctl, so none of them can be talked into
// reading or writing over a store, or made to wait on a pipe.
struct TransferError {
    enum class Kind {
        None,
        StoreFile,   // the path is pro.data or macro.data of the data folder, however spelled
        Unreadable,  // missing, not a regular file, no permission, an I/O error
        Damaged,     // not exactly one record, or a record that is not sound
        Unwritable,  // the target cannot be written, or is something other than a regular file
    };
    Kind kind = Kind::None;
    QString message;  // names the file and the reason

    explicit operator bool() const { return kind != Kind::None; }
};

// Reads a file holding exactly `size` bytes into `into`. It is opened without blocking and looked
// at before anything is read, so a pipe or a device is refused at once instead of holding the
// caller up; a file of any other size is refused too.
TransferError ReadRecordFile(const QString& path, const QString& dataFolder, void* into, qint64 size,
                             const QString& kind);

// Writes bytes as the whole new content of path, atomically. What is already there must be a
// regular file (or nothing).
TransferError WriteRecordFile(const QString& path, const QString& dataFolder, QByteArrayView bytes);
