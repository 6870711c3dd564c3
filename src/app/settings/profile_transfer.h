#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/profile/profile_import.h"
#include "core/profile/profile_record.h"
#include "device/profile_session.h"

// Profile files in and out. Reading and writing happen on a pool thread; the result comes back on
// the thread of the context object (the window's), and not at all when that object is gone.
namespace ProfileTransfer {

// Writes a copy of the record; done gets true when the file holds all 32976 bytes.
void ExportAsync(const QString& path, const ProfileRecord& record, QObject* context,
                 std::function<void(bool written)> done);

// Reads a *.pro file; done gets the record, or nothing and the language key of the reason.
void ReadAsync(const QString& path, QObject* context,
               std::function<void(std::unique_ptr<ProfileRecord> record, QString errorKey)> done);

// Adds a read record to the session's lists, bringing its bound macros along, and asks for the
// stores to be saved: both as one change when macros came along (macros first; a failure leaves
// both as they were), else pro.data. The one place the page enters an import into the lists.
ProfileImport AddImported(ProfileSession& session, std::unique_ptr<ProfileRecord> record);

}  // namespace ProfileTransfer
