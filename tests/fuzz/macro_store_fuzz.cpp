// Loads arbitrary bytes as macro.data: every complete record is kept byte for byte, names and step
// counts of whatever was loaded stay within their fields, and the load does with the file what
// every store load owes.
#include "core/macro/macro_record.h"
#include "core/storage/macro_store.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray whole(reinterpret_cast<const char*>(data), qsizetype(size / sizeof(MacroRecord) * sizeof(MacroRecord)));
    FuzzStoreLoad("macro.data", data, size, [&] {
        MacroList macros;
        const StoreLoadResult result = LoadMacroStore(macros, Scratch());
        QByteArray image;
        for (const auto& macro : macros) {
            image += ImageOf(*macro);
            const int steps = MacroStepCount(*macro);
            Check(steps >= 0 && steps <= 2 * MacroActionLimit, "a step count stays within two per slot");
            Check(MacroName(*macro).size() <= kMacroNameUnits, "a name never reads past its field");
        }
        Check(image == whole, "every complete record is kept");
        return std::pair(result, image);
    });
    return 0;
}
