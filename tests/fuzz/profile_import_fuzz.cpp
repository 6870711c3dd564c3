// Imports arbitrary bytes as a *.pro file with karvoctl's import-profile. A refused file changes
// no store; an accepted one (exactly one whole record) adds one current profile under a clean name
// of its own, keeps every earlier record, and brings each bound macro along under the name its button
// gives. The imported profile can be shown and its reports encoded.
#include "core/profile/button_function_table.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/text/name_field.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [profilesBefore, macrosBefore] = ResetStores();
    WriteAll(Scratch(QStringLiteral("in.pro")), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const bool accepted = RunCtl(QStringLiteral("import-profile"), {Scratch(QStringLiteral("in.pro"))});
    const QByteArray profileStore = ReadAll(Scratch("ms_1/pro.data")), macroStore = ReadAll(Scratch("ms_1/macro.data"));
    Check(accepted ? profileStore.left(profilesBefore.size()).mid(4) == profilesBefore.mid(4) : profileStore == profilesBefore,
          "earlier profiles stay as they were");
    Check((accepted ? macroStore.left(macrosBefore.size()) : macroStore) == macrosBefore, "earlier macros stay as they were");
    if (!accepted)
        return 0;
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    MacroList macros;
    Check(size == sizeof(ProfileRecord) && LoadProfileStore(profiles, *header, Scratch()).outcome == StoreLoadResult::Outcome::Loaded
              && LoadMacroStore(macros, Scratch()).outcome == StoreLoadResult::Outcome::Loaded,
          "a whole record is taken, and both stores stay sound");
    Check(profiles.size() == 2 && header->current_profile_index == 1, "one profile is added and made current");
    Check(!ProfileName(*profiles[1]).isEmpty() && ProfileName(*profiles[1]) != ProfileName(*profiles[0]), "a name of its own");
    Check(CleanName(ProfileName(*profiles[1])) == ProfileName(*profiles[1]), "a name as clean as a typed one");
    std::size_t macroButtons = 0;
    for (int i = 0; i < kDefaultButtonCount; ++i) {
        const ButtonRecord& button = profiles[1]->buttons[i];
        if (button.function != ButtonFunction::kMacro)
            continue;
        ++macroButtons;
        Check(button.macro_index >= 1 && std::size_t(button.macro_index) < macros.size(), "a bound macro is brought along");
        const MacroRecord& macro = *macros[std::size_t(button.macro_index)];
        Check(MacroName(macro) == ReadNameField(button.macro_name) && macro.action_count >= 0
                  && macro.action_count <= MacroActionLimit, "a button names its macro, whose count fits its slots");
    }
    Check(macros.size() == 1 + macroButtons, "one macro per bound button");
    Check(RunCtl("show", {"1"}) && RunCtl("reports", {"1"}) && RunCtl("macros"), "it can be shown, its reports encoded");
    return 0;
}
