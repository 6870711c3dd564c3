#pragma once

#include <QString>
#include <memory>

#include "core/profile/profile_record.h"
#include "core/storage/record_files.h"

// A *.pro file holds exactly one profile record, no header. Reading takes the checks of
// ReadRecordFile and refuses a name without its terminator within the 100 units; on refusal,
// error says why and nothing is returned.
std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, const QString& dataFolder, TransferError* error);

// Writes the record's 32976 bytes as they stand in memory, atomically (see WriteRecordFile).
TransferError WriteProfileFile(const QString& path, const QString& dataFolder, const ProfileRecord& record);
