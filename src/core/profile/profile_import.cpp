#include "core/profile/profile_import.h"

#include <algorithm>
#include <cstring>

#include "core/text/language_text.h"
#include "core/text/name_field.h"
#include "core/profile/button_function_table.h"
#include "core/storage/store_names.h"

namespace {

// A macro made from the copy a button carries. A copy claiming more actions than a macro holds
// keeps the 46 that exist.
std::unique_ptr<MacroRecord> MacroFromButton(ButtonRecord& button, const MacroList& macros)
{
    QString name = CleanName(ReadNameField(button.macro_name));
    if (name.isEmpty())
        name = LanguageText(QStringLiteral("add_macro_text")) + QString::number(macros.size() + 1);
    auto macro = CreateMacro(MakeUniqueName(macros, name));
    WriteNameField(button.macro_name, MacroName(*macro));
    macro->button_parameter = button.macro_loop_count;
    macro->action_count = std::min<int>(button.macro_action_count, MacroActionLimit);
    std::memcpy(macro->actions, button.macro_actions, sizeof macro->actions);
    return macro;
}

}  // namespace

ProfileImport ImportProfileRecord(ProfileList& profiles, MacroList& macros,
                                  std::unique_ptr<ProfileRecord> record)
{
    QString name = CleanName(ProfileName(*record));
    if (name.isEmpty())
        name = LanguageText(QStringLiteral("add_profile_text")) + QString::number(profiles.size() + 1);
    SetProfileName(*record, MakeUniqueName(profiles, name));

    ProfileImport result;
    for (int i = 0; i < kDefaultButtonCount; ++i) {
        ButtonRecord& button = record->buttons[i];
        if (button.function != ButtonFunction::kMacro)
            continue;
        macros.push_back(MacroFromButton(button, macros));
        button.macro_index = static_cast<std::int32_t>(macros.size() - 1);
        ++result.macrosCreated;
    }
    profiles.push_back(std::move(record));
    result.profileIndex = profiles.size() - 1;
    return result;
}
