// Loads arbitrary bytes as pro.data. A loaded store always holds a profile and a valid current
// index, a sound store is left as it was, a damaged one keeps its original bytes aside, and what
// loading writes back loads again unchanged.

#include <memory>

#include "core/storage/profile_store.h"
#include "core/storage/store_files.h"
#include "fuzz_support.h"

namespace {

QByteArray StoreImage(const ProfileList& profiles, const StoreHeader& header)
{
    QByteArray image = ImageOf(header);
    for (const auto& record : profiles)
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
    const QString store = folder.storeFile("pro.data");
    WriteAll(store, input);

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    const StoreLoadResult result = LoadProfileStore(profiles, *header, folder.path());
    Check(!profiles.empty(), "a loaded store holds a profile");
    Check(header->current_profile_index < profiles.size(), "the current index is below the profile count");

    using Outcome = StoreLoadResult::Outcome;
    Check(result.outcome != Outcome::Missing, "an existing store is not taken for a missing one");
    if (result.outcome == Outcome::Loaded) {
        Check(result.problem.isEmpty(), "a store loaded as it stood has no problem");
        Check(ReadAll(store) == input, "a sound store is left as it was");
        Check(StoreImage(profiles, *header) == input, "a sound store is read byte for byte");
        return 0;
    }
    Check(!result.problem.isEmpty(), "a repaired store says what was wrong");
    if (!result.keptAsidePath.isEmpty())
        Check(ReadAll(result.keptAsidePath) == input, "the kept copy holds the original bytes");
    else
        Check(ReadAll(store) == input, "without a kept copy the original stays in place");
    if (!result.saved)
        return 0;

    Check(ReadAll(store) == StoreImage(profiles, *header), "the repaired store is written as loaded");
    ProfileList again;
    auto againHeader = std::make_unique<StoreHeader>();
    const StoreLoadResult reload = LoadProfileStore(again, *againHeader, folder.path());
    Check(reload.outcome == Outcome::Loaded, "a repaired store loads as it stands");
    Check(StoreImage(again, *againHeader) == StoreImage(profiles, *header), "a repaired store loads unchanged");
    return 0;
}
