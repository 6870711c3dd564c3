#include "core/profile/profile_file.h"

#include "core/text/name_field.h"
#include "core/storage/store_files.h"

std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, QString* error)
{
    auto record = std::make_unique<ProfileRecord>();
    if (!ReadRecordFile(path, record.get(), sizeof(ProfileRecord), QStringLiteral("profile"), error))
        return nullptr;
    if (!NameFieldTerminated(record->name)) {
        *error = QStringLiteral("%1 is damaged: its profile name has no terminator").arg(path);
        return nullptr;
    }
    return record;
}

bool WriteProfileFile(const QString& path, const ProfileRecord& record)
{
    return WriteFileAtomically(path, {RecordBytes(record)});
}
