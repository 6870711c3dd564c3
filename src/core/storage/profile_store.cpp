#include "core/storage/profile_store.h"

#include <QByteArray>
#include <QStringList>
#include <cstring>

#include "core/text/language_text.h"
#include "core/storage/store_files.h"
#include "core/storage/store_names.h"

namespace {

void ResetHeader(StoreHeader& header)
{
    std::memset(&header, 0, sizeof header);
}

// Takes what is usable of a store's bytes. Returns what was wrong, or an empty string.
QString ParseStore(const QByteArray& bytes, ProfileList& profiles, StoreHeader& header)
{
    const qint64 size = bytes.size();
    if (size == 0)
        return QStringLiteral("the file is empty");
    if (size < qint64(sizeof(StoreHeader)))
        return QStringLiteral("the file is shorter than its %1-byte header").arg(sizeof(StoreHeader));
    std::memcpy(&header, bytes.constData(), sizeof header);

    const qint64 recordBytes = size - qint64(sizeof(StoreHeader));
    const qint64 count = recordBytes / qint64(sizeof(ProfileRecord));
    profiles.reserve(std::size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        auto record = std::make_unique<ProfileRecord>();
        std::memcpy(record.get(), bytes.constData() + sizeof(StoreHeader) + i * qint64(sizeof(ProfileRecord)),
                    sizeof(ProfileRecord));
        profiles.push_back(std::move(record));
    }

    QStringList problems;
    if (recordBytes % qint64(sizeof(ProfileRecord)) != 0)
        problems << QStringLiteral("it ends in a partial profile record");
    if (profiles.empty()) {
        problems << QStringLiteral("it holds no profile");
    } else if (header.current_profile_index >= profiles.size()) {
        problems << QStringLiteral("its current profile index %1 is not below the profile count %2")
                        .arg(header.current_profile_index)
                        .arg(profiles.size());
    }
    return problems.join(QStringLiteral("; "));
}

// Makes what was read usable: at least one profile and an index below the count.
void RepairStore(ProfileList& profiles, StoreHeader& header)
{
    if (profiles.empty()) {
        header.current_profile_index = 0;
        AddDefaultProfile(profiles);
    }
    if (header.current_profile_index >= profiles.size())
        header.current_profile_index = 0;
}

}  // namespace

StoreLoadResult LoadProfileStore(ProfileList& profiles, StoreHeader& header, const QString& dataFolder)
{
    profiles.clear();
    ResetHeader(header);
    return LoadStoreFile(
        ProfileStorePath(dataFolder), [&](const QByteArray& bytes) { return ParseStore(bytes, profiles, header); },
        [&] { RepairStore(profiles, header); }, [&] { return SaveProfileStore(profiles, header, dataFolder); },
        [&](StoreLoadResult& result) {
            AddDefaultProfile(profiles);
            result.saved = SaveProfileStore(profiles, header, dataFolder);
        },
        // The utility still needs a profile to work with; it lives in memory only.
        [&] {
            profiles.clear();
            ResetHeader(header);
            AddDefaultProfile(profiles);
        });
}

bool SaveProfileStore(const ProfileList& profiles, const StoreHeader& header, const QString& dataFolder)
{
    if (!EnsureStoreFolder(dataFolder)) {
        qCWarning(lcStorage) << "cannot make the store folder" << StoreFolderPath(dataFolder);
        return false;
    }
    std::vector<QByteArrayView> chunks;
    chunks.reserve(profiles.size() + 1);
    chunks.push_back(RecordBytes(header));
    for (const auto& record : profiles)
        chunks.push_back(RecordBytes(*record));
    return WriteFileAtomically(ProfileStorePath(dataFolder), chunks);
}

ProfileRecord& AddDefaultProfile(ProfileList& profiles)
{
    const QString base = LanguageText(QStringLiteral("add_profile_text"))
                         + QString::number(profiles.size() + 1);
    profiles.push_back(CreateProfile(MakeUniqueName(profiles, base)));
    return *profiles.back();
}
