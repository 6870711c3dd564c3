#pragma once

#include <QString>
#include <memory>

#include "core/profile/profile_record.h"

// A *.pro file holds exactly one profile record, no header. Reading refuses a file shorter than a
// record or whose name has no terminator within its 100 units; extra bytes after the record are
// ignored. On refusal, error says why and nothing is returned.
std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, QString* error);

// Writes the record's 32976 bytes as they stand in memory, atomically.
bool WriteProfileFile(const QString& path, const ProfileRecord& record);
