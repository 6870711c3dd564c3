#include "macro/macro_record.h"

#include "core/name_field.h"

std::unique_ptr<MacroRecord> CreateMacro(const QString& name)
{
    auto record = std::make_unique<MacroRecord>();  // value-initialised: all zero
    SetMacroName(*record, name);
    return record;
}

QString MacroName(const MacroRecord& record)
{
    return ReadNameField(record.name);
}

void SetMacroName(MacroRecord& record, const QString& name)
{
    WriteNameField(record.name, name);
}
