#include "settings/profile_file.h"

#include <QFile>

#include "core/name_field.h"
#include "storage/store_files.h"

std::unique_ptr<ProfileRecord> ReadProfileFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    auto record = std::make_unique<ProfileRecord>();
    const qint64 got = file.read(reinterpret_cast<char*>(record.get()), sizeof(ProfileRecord));
    if (got != qint64(sizeof(ProfileRecord))) {
        *error = QStringLiteral("%1 is not a profile file: it holds %2 bytes, a profile needs %3")
                     .arg(path)
                     .arg(qMax<qint64>(got, 0))
                     .arg(sizeof(ProfileRecord));
        return nullptr;
    }
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
