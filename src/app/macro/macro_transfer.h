#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/macro/macro_record.h"
#include "core/storage/record_files.h"
#include "device/profile_session.h"

// *.macro files in and out, the same for the macro editor and the D-Bus service. Reading and
// writing happen on the file queue with the checks of ReadRecordFile and WriteRecordFile; the
// result comes back on the thread of the context object (the window's), and not at all when that
// object is gone.
namespace MacroTransfer {

// Writes a copy of the record; done gets what went wrong, if anything.
void ExportAsync(const QString& path, const QString& dataFolder, const MacroRecord& record, QObject* context,
                 std::function<void(TransferError error)> done);

// Reads a *.macro file; done gets the record, or nothing and why.
void ReadAsync(const QString& path, const QString& dataFolder, QObject* context,
               std::function<void(std::unique_ptr<MacroRecord> record, TransferError error)> done);

// Appends a read record under a unique name and asks for macro.data to be saved; its position, or
// nothing while macro.data is out of reach. done (optional, on the writer thread) hears when the
// import is on disk.
std::optional<std::size_t> AddImported(ProfileSession& session, std::unique_ptr<MacroRecord> record,
                                       StoreWriter::Done done = {});

// The language key that tells the user why a file was refused.
QString MessageKey(const TransferError& error);

}  // namespace MacroTransfer
