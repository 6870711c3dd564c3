#include "app/macro/macro_transfer.h"

#include <QLoggingCategory>

#include "app/shell/background_queue.h"
#include "core/macro/macro_file.h"

Q_LOGGING_CATEGORY(lcMacroTransfer, "karvo.macro.transfer")

namespace MacroTransfer {

namespace {
const QString kBusy = QStringLiteral("too many file transfers are under way");
}  // namespace

void ExportAsync(const QString& path, const QString& dataFolder, const MacroRecord& record, QObject* context,
                 std::function<void(TransferError error)> done)
{
    auto copy = std::make_shared<MacroRecord>(record);
    const bool queued = BackgroundQueue::Files().Run<TransferError>(
        [path, dataFolder, copy] {
            const TransferError error = WriteMacroFile(path, dataFolder, *copy);
            if (error)
                qCWarning(lcMacroTransfer) << error.message;
            return error;
        },
        context, done);
    if (!queued)
        done({TransferError::Kind::Unwritable, kBusy});
}

void ReadAsync(const QString& path, const QString& dataFolder, QObject* context,
               std::function<void(std::unique_ptr<MacroRecord> record, TransferError error)> done)
{
    struct Read {
        std::shared_ptr<MacroRecord> record;
        TransferError error;
    };
    const bool queued = BackgroundQueue::Files().Run<Read>(
        [path, dataFolder] {
            Read read;
            read.record.reset(ReadMacroFile(path, dataFolder, &read.error).release());
            if (read.error)
                qCWarning(lcMacroTransfer) << read.error.message;
            return read;
        },
        context,
        [done](Read read) { done(read.record ? std::make_unique<MacroRecord>(*read.record) : nullptr, read.error); });
    if (!queued)
        done(nullptr, {TransferError::Kind::Unreadable, kBusy});
}

std::optional<std::size_t> AddImported(ProfileSession& session, std::unique_ptr<MacroRecord> record,
                                       StoreWriter::Done done)
{
    if (!session.MacroStoreIsOurs())
        return std::nullopt;
    return session.Locked([&](ProfileSession::State& state) {
        const std::size_t index = AppendImportedMacro(state.macros, std::move(record));
        session.RequestMacroSaveLocked(state, std::move(done));
        return index;
    });
}

QString MessageKey(const TransferError& error)
{
    switch (error.kind) {
    case TransferError::Kind::StoreFile:
        return QStringLiteral("store_file_text");
    case TransferError::Kind::Damaged:
        return QStringLiteral("import_bad_macro_text");
    case TransferError::Kind::Unwritable:
        return QStringLiteral("export_macro_failed_text");
    case TransferError::Kind::None:
    case TransferError::Kind::Unreadable:
        break;
    }
    return QStringLiteral("import_macro_failed_text");
}

}  // namespace MacroTransfer
