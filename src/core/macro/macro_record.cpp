#include "core/macro/macro_record.h"

#include <algorithm>

#include "core/text/name_field.h"

int ClippedActionCount(int actionCount)
{
    return std::clamp(actionCount, 0, MacroActionLimit);
}

int MacroStepCount(const MacroActionSlot* actions, int actionCount)
{
    int steps = 0;
    for (int i = 0; i < ClippedActionCount(actionCount); ++i)
        steps += actions[i].delay_ms > kLongDelayMs ? 2 : 1;
    return steps;
}

int MacroStepCount(const MacroRecord& record)
{
    return MacroStepCount(record.actions, record.action_count);
}

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
