// Imports arbitrary bytes as a *.macro file with karvoctl's import-macro. A refused file changes
// no store; an accepted one appends one macro under a name of its own, every other byte as read.

#include "core/macro/macro_record.h"
#include "core/storage/macro_store.h"
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
    const QString file = Scratch().file(QStringLiteral("in.macro"));
    const QByteArray input = InputBytes(data, size);
    WriteAll(file, input);
    const ImportStores& before = StartingStores();

    if (!RunCtl(QStringLiteral("import-macro"), {file})) {
        Check(ProfileStoreBytes() == before.profiles, "a refused macro leaves pro.data alone");
        Check(MacroStoreBytes() == before.macros, "a refused macro leaves macro.data alone");
        return 0;
    }
    Check(size >= sizeof(MacroRecord), "a short file is refused");

    MacroList macros;
    Check(LoadMacroStore(macros, Scratch().path()).outcome == StoreLoadResult::Outcome::Loaded,
          "macro.data stays sound");
    Check(macros.size() == 2, "one macro is added");
    Check(MacroStoreBytes().left(before.macros.size()) == before.macros, "the earlier macro stays as it was");
    const MacroRecord& imported = *macros[1];
    Check(!MacroName(imported).isEmpty() && MacroName(imported) != MacroName(*macros[0]),
          "the imported macro gets a name of its own");
    Check(imported.action_count >= 0 && imported.action_count <= MacroActionLimit, "the count fits the slots");
    constexpr qsizetype kAfterName = sizeof(MacroRecord::name);
    Check(ImageOf(imported).mid(kAfterName) == input.mid(kAfterName, sizeof(MacroRecord) - kAfterName),
          "every byte but the name stays as read");
    Check(RunCtl(QStringLiteral("macros"), {}), "the macros can be listed");
    return 0;
}
