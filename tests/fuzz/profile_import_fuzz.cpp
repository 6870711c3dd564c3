// Imports arbitrary bytes as a *.pro file with karvoctl's import-profile. A refused file changes
// no store; an accepted one adds exactly one current profile, keeps every earlier record, and
// brings each bound macro along under a name its button refers to. The imported profile can be
// shown and its reports encoded.

#include <memory>

#include "core/macro/macro_record.h"
#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/text/name_field.h"
#include "fuzz_support.h"
#include "import_fixture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetStores();
    const QString file = Scratch().file(QStringLiteral("in.pro"));
    WriteAll(file, InputBytes(data, size));
    const ImportStores& before = StartingStores();

    if (!RunCtl(QStringLiteral("import-profile"), {file})) {
        Check(ProfileStoreBytes() == before.profiles, "a refused profile leaves pro.data alone");
        Check(MacroStoreBytes() == before.macros, "a refused profile leaves macro.data alone");
        return 0;
    }
    Check(size >= sizeof(ProfileRecord), "a short file is refused");

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    MacroList macros;
    Check(LoadProfileStore(profiles, *header, Scratch().path()).outcome == StoreLoadResult::Outcome::Loaded,
          "pro.data stays sound");
    Check(LoadMacroStore(macros, Scratch().path()).outcome == StoreLoadResult::Outcome::Loaded,
          "macro.data stays sound");
    Check(profiles.size() == 3 && header->current_profile_index == 2, "one profile is added and made current");
    Check(ProfileStoreBytes().left(before.profiles.size()).mid(4) == before.profiles.mid(4),
          "earlier profiles stay as they were");
    Check(MacroStoreBytes().left(before.macros.size()) == before.macros, "earlier macros stay as they were");

    const ProfileRecord& imported = *profiles[2];
    const QString name = ProfileName(imported);
    Check(!name.isEmpty() && name != ProfileName(*profiles[0]) && name != ProfileName(*profiles[1]),
          "the imported profile gets a name of its own");
    std::size_t macroButtons = 0;
    for (int i = 0; i < kDefaultButtonCount; ++i) {
        const ButtonRecord& button = imported.buttons[i];
        if (button.function != ButtonFunction::kMacro)
            continue;
        ++macroButtons;
        Check(button.macro_index >= 1 && std::size_t(button.macro_index) < macros.size(),
              "a bound macro points at a macro brought along");
        const MacroRecord& macro = *macros[std::size_t(button.macro_index)];
        Check(MacroName(macro) == ReadNameField(button.macro_name), "a button names its macro");
        Check(macro.action_count >= 0 && macro.action_count <= MacroActionLimit, "a macro's count fits its slots");
    }
    Check(macros.size() == 1 + macroButtons, "one macro per bound button");

    Check(RunCtl(QStringLiteral("show"), {QStringLiteral("2")}), "the imported profile can be shown");
    Check(RunCtl(QStringLiteral("reports"), {QStringLiteral("2")}), "the imported profile's reports encode");
    Check(RunCtl(QStringLiteral("macros"), {}), "the macros can be listed");
    return 0;
}
