// Imports arbitrary bytes as a *.macro file with karvoctl's import-macro. A refused file changes
// no store; an accepted one (exactly one whole record) appends one macro under a name of its own,
// every other byte as read.
#include "core/storage/macro_store.h"
#include "core/text/name_field.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [profilesBefore, macrosBefore] = ResetStores();
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    WriteAll(Scratch(QStringLiteral("in.macro")), input);
    const bool accepted = RunCtl(QStringLiteral("import-macro"), {Scratch(QStringLiteral("in.macro"))});
    Check(ReadAll(Scratch(QStringLiteral("ms_1/pro.data"))) == profilesBefore, "an imported macro leaves pro.data alone");
    const QByteArray macroStore = ReadAll(Scratch(QStringLiteral("ms_1/macro.data")));
    Check((accepted ? macroStore.left(macrosBefore.size()) : macroStore) == macrosBefore, "the earlier macro stays as it was");
    if (!accepted)
        return 0;
    MacroList macros;
    Check(size == sizeof(MacroRecord) && LoadMacroStore(macros, Scratch()).outcome == StoreLoadResult::Outcome::Loaded
              && macros.size() == 2, "a whole record is taken, and macro.data stays sound with one macro more");
    const MacroRecord& imported = *macros[1];
    Check(!MacroName(imported).isEmpty() && MacroName(imported) != MacroName(*macros[0])
              && CleanName(MacroName(imported)) == MacroName(imported), "a clean name of its own");
    Check(imported.action_count >= 0 && imported.action_count <= MacroActionLimit, "the count fits the slots");
    constexpr qsizetype kAfterName = sizeof(MacroRecord::name);
    Check(ImageOf(imported).mid(kAfterName) == input.mid(kAfterName, sizeof(MacroRecord) - kAfterName),
          "every byte but the name stays as read");
    Check(RunCtl(QStringLiteral("macros")), "the macros can be listed");
    return 0;
}
