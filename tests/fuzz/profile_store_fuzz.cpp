// Loads arbitrary bytes as pro.data: a loaded store always holds a profile and a current index
// below the count, and the load does with the file what every store load owes.
#include "core/storage/profile_store.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzStoreLoad("pro.data", data, size, [] {
        ProfileList profiles;
        auto header = std::make_unique<StoreHeader>();
        const StoreLoadResult result = LoadProfileStore(profiles, *header, Scratch());
        Check(!profiles.empty() && header->current_profile_index < profiles.size(), "a profile and a valid current index");
        QByteArray image = ImageOf(*header);
        for (const auto& record : profiles)
            image += ImageOf(*record);
        return std::pair(result, image);
    });
    return 0;
}
