#include "app/settings/macro_rebinding.h"

#include <cstring>
#include <utility>

#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"

namespace {

// The button as a new profile has it.
ButtonRecord DefaultButton(int buttonIndex)
{
    static const std::unique_ptr<ProfileRecord> defaults = CreateProfile(QString());
    return defaults->buttons[buttonIndex];
}

void ClearMacroCopy(ButtonRecord& button)
{
    std::memset(button.macro_name, 0, sizeof button.macro_name);
    button.macro_action_count = 0;
    std::memset(button.macro_actions, 0, sizeof button.macro_actions);
    button.macro_index = -1;
}

bool RefersToMacro(const ProfileRecord& profile)
{
    for (int b = 0; b < kAssignableButtonCount; ++b) {
        if (profile.buttons[b].function == ButtonFunction::kMacro || profile.buttons[b].macro_name[0] != 0)
            return true;
    }
    return false;
}

}  // namespace

int FindMacroByName(const MacroList& macros, const QString& name)
{
    for (std::size_t i = 0; i < macros.size(); ++i) {
        if (MacroName(*macros[i]).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void CopyMacroIntoButton(ButtonRecord& button, const MacroRecord& macro, int position)
{
    button.macro_action_count = std::uint16_t(macro.action_count & 0xFFFF);
    WriteNameField(button.macro_name, MacroName(macro));
    static_assert(sizeof button.macro_actions == sizeof macro.actions);
    std::memcpy(button.macro_actions, macro.actions, sizeof button.macro_actions);
    button.macro_index = position;
}

RebindResult RebindMacros(ProfileList& profiles, const MacroList& macros, int currentIndex)
{
    RebindResult result;
    for (std::size_t p = 0; p < profiles.size(); ++p) {
        // A profile is taken for changing (and so copied, while a save shares it) only when one
        // of its buttons refers to a macro.
        if (!RefersToMacro(*std::as_const(profiles)[p]))
            continue;
        ProfileRecord& profile = *profiles[p];
        for (int b = 0; b < kAssignableButtonCount; ++b) {
            ButtonRecord& button = profile.buttons[b];
            const QString name = ReadNameField(button.macro_name);
            const bool playsMacro = button.function == ButtonFunction::kMacro;
            if (!playsMacro && name.isEmpty())
                continue;
            result.anyProfile = true;
            if (int(p) == currentIndex)
                result.currentProfile = true;
            const int position = FindMacroByName(macros, name);
            if (position >= 0)
                CopyMacroIntoButton(button, *macros[std::size_t(position)], position);
            else if (playsMacro)
                button = DefaultButton(b);
            else
                ClearMacroCopy(button);
        }
    }
    return result;
}
