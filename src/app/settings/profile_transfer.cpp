#include "app/settings/profile_transfer.h"

#include "app/shell/background_queue.h"
#include "core/profile/profile_file.h"

namespace ProfileTransfer {

namespace {
const TransferError kBusy{TransferError::Kind::Unreadable, QStringLiteral("too many file transfers are under way")};
}  // namespace

void ExportAsync(const QString& path, const QString& dataFolder, const ProfileRecord& record, QObject* context,
                 std::function<void(TransferError error)> done)
{
    auto copy = std::make_shared<ProfileRecord>(record);
    const bool queued = BackgroundQueue::Files().Run<TransferError>(
        [path, dataFolder, copy] { return WriteProfileFile(path, dataFolder, *copy); }, context, done);
    if (!queued)
        done({TransferError::Kind::Unwritable, kBusy.message});
}

void ReadAsync(const QString& path, const QString& dataFolder, QObject* context,
               std::function<void(std::unique_ptr<ProfileRecord> record, TransferError error)> done)
{
    struct Read {
        std::shared_ptr<ProfileRecord> record;
        TransferError error;
    };
    const bool queued = BackgroundQueue::Files().Run<Read>(
        [path, dataFolder] {
            Read read;
            read.record.reset(ReadProfileFile(path, dataFolder, &read.error).release());
            return read;
        },
        context,
        [done](Read read) { done(read.record ? std::make_unique<ProfileRecord>(*read.record) : nullptr, read.error); });
    if (!queued)
        done(nullptr, kBusy);
}

std::optional<ProfileImport> AddImported(ProfileSession& session, std::unique_ptr<ProfileRecord> record,
                                         StoreWriter::Done done)
{
    if (!session.ProfileStoreIsOurs() || !session.MacroStoreIsOurs())
        return std::nullopt;
    const ProfileImport imported = session.Locked([&](ProfileSession::State& state) {
        const ProfileImport result = ImportProfileRecord(state.profiles, state.macros, std::move(record));
        state.header->current_profile_index = std::uint32_t(result.profileIndex);
        state.fullSend = true;
        return result;
    });
    // A profile whose buttons point at macros is never kept without them.
    if (imported.macrosCreated > 0)
        session.RequestProfileAndMacroSave(std::move(done));
    else
        session.RequestProfileSave(std::move(done));
    return imported;
}

QString MessageKey(const TransferError& error)
{
    switch (error.kind) {
    case TransferError::Kind::StoreFile:
        return QStringLiteral("store_file_text");
    case TransferError::Kind::Damaged:
        return QStringLiteral("import_bad_file_text");
    case TransferError::Kind::Unwritable:
        return QStringLiteral("export_failed_text");
    case TransferError::Kind::None:
    case TransferError::Kind::Unreadable:
        break;
    }
    return QStringLiteral("import_failed_text");
}

}  // namespace ProfileTransfer
