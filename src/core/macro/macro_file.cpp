#include "core/macro/macro_file.h"

#include "core/text/language_text.h"
#include "core/text/name_field.h"
#include "core/storage/store_files.h"
#include "core/storage/store_names.h"

std::unique_ptr<MacroRecord> ReadMacroFile(const QString& path, const QString& dataFolder, TransferError* error)
{
    auto record = std::make_unique<MacroRecord>();
    *error = ReadRecordFile(path, dataFolder, record.get(), sizeof(MacroRecord), QStringLiteral("macro"));
    if (*error)
        return nullptr;
    if (record->action_count < 0 || record->action_count > MacroActionLimit) {
        *error = {TransferError::Kind::Damaged, QStringLiteral("%1 is damaged: its action count %2 is outside 0..%3")
                                                    .arg(path)
                                                    .arg(record->action_count)
                                                    .arg(MacroActionLimit)};
        return nullptr;
    }
    if (!NameFieldTerminated(record->name)) {
        *error = {TransferError::Kind::Damaged, QStringLiteral("%1 is damaged: its macro name has no terminator").arg(path)};
        return nullptr;
    }
    return record;
}

TransferError WriteMacroFile(const QString& path, const QString& dataFolder, const MacroRecord& record)
{
    return WriteRecordFile(path, dataFolder, RecordBytes(record));
}

std::size_t AppendImportedMacro(MacroList& macros, std::unique_ptr<MacroRecord> record)
{
    QString name = CleanName(MacroName(*record));
    if (name.isEmpty())
        name = LanguageText(QStringLiteral("add_macro_text")) + QString::number(macros.size() + 1);
    SetMacroName(*record, MakeUniqueName(macros, name));
    macros.push_back(std::move(record));
    return macros.size() - 1;
}
