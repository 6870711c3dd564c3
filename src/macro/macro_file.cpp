#include "macro/macro_file.h"

#include <QFile>

#include "core/language_text.h"
#include "core/name_field.h"
#include "storage/store_files.h"
#include "storage/store_names.h"

std::unique_ptr<MacroRecord> ReadMacroFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    auto record = std::make_unique<MacroRecord>();
    const qint64 got = file.read(reinterpret_cast<char*>(record.get()), sizeof(MacroRecord));
    if (got != qint64(sizeof(MacroRecord))) {
        *error = QStringLiteral("%1 is not a macro file: it holds %2 bytes, a macro needs %3")
                     .arg(path)
                     .arg(qMax<qint64>(got, 0))
                     .arg(sizeof(MacroRecord));
        return nullptr;
    }
    if (record->action_count < 0 || record->action_count > MacroActionLimit) {
        *error = QStringLiteral("%1 is damaged: its action count %2 is outside 0..%3")
                     .arg(path)
                     .arg(record->action_count)
                     .arg(MacroActionLimit);
        return nullptr;
    }
    if (!NameFieldTerminated(record->name)) {
        *error = QStringLiteral("%1 is damaged: its macro name has no terminator").arg(path);
        return nullptr;
    }
    return record;
}

bool WriteMacroFile(const QString& path, const MacroRecord& record)
{
    return WriteFileAtomically(path, {RecordBytes(record)});
}

std::size_t AppendImportedMacro(MacroList& macros, std::unique_ptr<MacroRecord> record)
{
    QString name = MacroName(*record);
    if (name.isEmpty())
        name = LanguageText(QStringLiteral("add_macro_text")) + QString::number(macros.size() + 1);
    SetMacroName(*record, MakeUniqueName(macros, name));
    macros.push_back(std::move(record));
    return macros.size() - 1;
}
