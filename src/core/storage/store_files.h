#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>

#include "core/storage/store_load_result.h"

#include <functional>
#include <initializer_list>
#include <span>

Q_DECLARE_LOGGING_CATEGORY(lcStorage)

// Paths of the store folder and files inside a data folder (which ends in a separator).
QString StoreFolderPath(const QString& dataFolder);
QString ProfileStorePath(const QString& dataFolder);
QString MacroStorePath(const QString& dataFolder);

// Makes the store folder when it is missing (one level only). False when it is not a folder after.
bool EnsureStoreFolder(const QString& dataFolder);

// Writes the chunks as the whole new content of path. The file is replaced only once every byte
// is on disk, so a crash or a full disk leaves the previous file whole. Writes of all store files
// are serialised, whatever thread they come from.
bool WriteFileAtomically(const QString& path, std::span<const QByteArrayView> chunks);
bool WriteFileAtomically(const QString& path, std::initializer_list<QByteArrayView> chunks);

// Keeps the bytes of a damaged file beside it ("<file>.damaged", or ".damaged.N" when earlier
// copies exist) before it is written over. A copy already holding the same bytes is kept as it is
// and no new one is made, so a store that stays damaged does not leave a copy per run. Returns the
// copy's path, or an empty string when no copy could be made; the caller must then leave the file
// alone.
QString KeepAside(const QString& path, const QByteArray& bytes);

// Loads a store file: parse() takes what is usable of the bytes read and says what was wrong, if
// anything. A damaged store is repaired in memory, its original kept aside, and the repaired store
// written with save() (only once the original is safe). A missing store is left to missing(); an
// unreadable one to unreadable(), and nothing is written.
StoreLoadResult LoadStoreFile(const QString& path, const std::function<QString(const QByteArray&)>& parse,
                              const std::function<void()>& repair, const std::function<bool()>& save,
                              const std::function<void(StoreLoadResult&)>& missing,
                              const std::function<void()>& unreadable);

// The bytes of a record, for writing it as it stands in memory.
template <typename Record>
QByteArrayView RecordBytes(const Record& record)
{
    return QByteArrayView(reinterpret_cast<const char*>(&record), sizeof(Record));
}
