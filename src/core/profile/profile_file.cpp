#include "core/profile/profile_file.h"

#include "core/storage/store_files.h"
#include "core/text/name_field.h"

std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, const QString& dataFolder, TransferError* error)
{
    auto record = std::make_unique<ProfileRecord>();
    *error = ReadRecordFile(path, dataFolder, record.get(), sizeof(ProfileRecord), QStringLiteral("profile"));
    if (*error)
        return nullptr;
    if (!NameFieldTerminated(record->name)) {
        *error = {TransferError::Kind::Damaged,
                  QStringLiteral("%1 is damaged: its profile name has no terminator").arg(path)};
        return nullptr;
    }
    return record;
}

TransferError WriteProfileFile(const QString& path, const QString& dataFolder, const ProfileRecord& record)
{
    return WriteRecordFile(path, dataFolder, RecordBytes(record));
}
