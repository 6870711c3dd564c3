// Loads arbitrary bytes as macro.data. Every complete record is kept, a sound store is left as it
// was, a damaged one keeps its original bytes aside, and what loading writes back loads again
// unchanged. Names and step counts of whatever was loaded can be taken.

#include "core/macro/macro_record.h"
#include "core/storage/macro_store.h"
#include "fuzz_support.h"

namespace {

QByteArray StoreImage(const MacroList& macros)
{
    QByteArray image;
    for (const auto& record : macros)
        image += ImageOf(*record);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ScratchFolder& folder = Scratch();
    folder.Clear();
    const QByteArray input = InputBytes(data, size);
    const QString store = folder.storeFile("macro.data");
    WriteAll(store, input);

    MacroList macros;
    const StoreLoadResult result = LoadMacroStore(macros, folder.path());
    Check(macros.size() == size / sizeof(MacroRecord), "every complete macro record is kept");
    Check(StoreImage(macros) == input.left(qsizetype(macros.size() * sizeof(MacroRecord))),
          "the kept records are read byte for byte");
    for (const auto& macro : macros) {
        const int steps = MacroStepCount(*macro);
        Check(steps >= 0 && steps <= 2 * MacroActionLimit, "a step count stays within two per slot");
        Check(MacroName(*macro).size() <= kMacroNameUnits, "a name never reads past its field");
    }

    using Outcome = StoreLoadResult::Outcome;
    Check(result.outcome != Outcome::Missing, "an existing store is not taken for a missing one");
    if (result.outcome == Outcome::Loaded) {
        Check(ReadAll(store) == input, "a sound store is left as it was");
        return 0;
    }
    Check(!result.problem.isEmpty(), "a repaired store says what was wrong");
    if (!result.keptAsidePath.isEmpty())
        Check(ReadAll(result.keptAsidePath) == input, "the kept copy holds the original bytes");
    else
        Check(ReadAll(store) == input, "without a kept copy the original stays in place");
    if (!result.saved)
        return 0;

    MacroList again;
    const StoreLoadResult reload = LoadMacroStore(again, folder.path());
    Check(reload.outcome == Outcome::Loaded, "a repaired store loads as it stands");
    Check(StoreImage(again) == StoreImage(macros), "a repaired store loads unchanged");
    return 0;
}
