#include "app/macro/macro_transfer.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include "core/macro/macro_file.h"

Q_LOGGING_CATEGORY(lcMacroTransfer, "karvo.macro.transfer")

namespace MacroTransfer {

void ExportAsync(const QString& path, const MacroRecord& record, QObject* context,
                 std::function<void(bool written)> done)
{
    auto copy = std::make_shared<MacroRecord>(record);
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([path, copy, guard, done = std::move(done)] {
        const bool written = WriteMacroFile(path, *copy);
        if (!written)
            qCWarning(lcMacroTransfer) << "cannot write" << path;
        if (guard)
            QMetaObject::invokeMethod(guard, [done, written] { done(written); }, Qt::QueuedConnection);
    });
}

void ReadAsync(const QString& path, QObject* context,
               std::function<void(std::unique_ptr<MacroRecord> record, QString errorKey)> done)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([path, guard, done = std::move(done)] {
        QString error;
        std::shared_ptr<MacroRecord> record(ReadMacroFile(path, &error).release());
        // A file that opened but holds no proper macro is a different trouble from one that
        // cannot be read at all.
        QString errorKey;
        if (!record) {
            qCWarning(lcMacroTransfer) << error;
            const QFileInfo info(path);
            errorKey = info.isFile() && info.isReadable() ? QStringLiteral("import_bad_macro_text")
                                                          : QStringLiteral("import_macro_failed_text");
        }
        if (guard) {
            QMetaObject::invokeMethod(
                guard,
                [done, record, errorKey] {
                    done(record ? std::make_unique<MacroRecord>(*record) : nullptr, errorKey);
                },
                Qt::QueuedConnection);
        }
    });
}

}  // namespace MacroTransfer
