#include "app/settings/profile_transfer.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include "core/profile/profile_file.h"

namespace ProfileTransfer {

void ExportAsync(const QString& path, const ProfileRecord& record, QObject* context,
                 std::function<void(bool written)> done)
{
    auto copy = std::make_shared<ProfileRecord>(record);
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([path, copy, guard, done = std::move(done)] {
        const bool written = WriteProfileFile(path, *copy);
        if (guard)
            QMetaObject::invokeMethod(guard, [done, written] { done(written); }, Qt::QueuedConnection);
    });
}

void ReadAsync(const QString& path, QObject* context,
               std::function<void(std::unique_ptr<ProfileRecord> record, QString errorKey)> done)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([path, guard, done = std::move(done)] {
        QString error;
        std::shared_ptr<ProfileRecord> record(ReadProfileFile(path, &error).release());
        // A file that opened but holds no proper record is a different trouble from one that
        // cannot be read at all.
        QString errorKey;
        if (!record) {
            const QFileInfo info(path);
            errorKey = info.isFile() && info.isReadable() ? QStringLiteral("import_bad_file_text")
                                                          : QStringLiteral("import_failed_text");
        }
        if (guard) {
            QMetaObject::invokeMethod(
                guard,
                [done, record, errorKey] {
                    done(record ? std::make_unique<ProfileRecord>(*record) : nullptr, errorKey);
                },
                Qt::QueuedConnection);
        }
    });
}

ProfileImport AddImported(ProfileSession& session, std::unique_ptr<ProfileRecord> record)
{
    const ProfileImport imported = session.Locked([&](ProfileSession::State& state) {
        return ImportProfileRecord(state.profiles, state.macros, std::move(record));
    });
    // A profile whose buttons point at macros is never kept without them.
    if (imported.macrosCreated > 0)
        session.RequestProfileAndMacroSave();
    else
        session.RequestProfileSave();
    return imported;
}

}  // namespace ProfileTransfer
