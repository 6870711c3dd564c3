#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/profile/profile_import.h"
#include "core/profile/profile_record.h"
#include "core/storage/record_files.h"
#include "device/profile_session.h"

// Profile files in and out, the same for the window and the D-Bus service. Reading and writing
// happen on the file queue with the checks of ReadRecordFile and WriteRecordFile; the result
// comes back on the thread of the context object (the window's), and not at all when that object
// is gone.
namespace ProfileTransfer {

// Writes a copy of the record; done gets what went wrong, if anything.
void ExportAsync(const QString& path, const QString& dataFolder, const ProfileRecord& record, QObject* context,
                 std::function<void(TransferError error)> done);

// Reads a *.pro file; done gets the record, or nothing and why.
void ReadAsync(const QString& path, const QString& dataFolder, QObject* context,
               std::function<void(std::unique_ptr<ProfileRecord> record, TransferError error)> done);

// Adds a read record to the session's lists, bringing its bound macros along, makes it the
// current profile and asks for the stores to be saved: both as one change when macros came along
// (macros first; a failure leaves both as they were), else pro.data. Nothing is added while a
// store is out of reach, since nothing could be kept. done (optional, on the writer thread) hears
// when the import is on disk.
std::optional<ProfileImport> AddImported(ProfileSession& session, std::unique_ptr<ProfileRecord> record,
                                         StoreWriter::Done done = {});

// The language key that tells the user why a file was refused.
QString MessageKey(const TransferError& error);

}  // namespace ProfileTransfer
