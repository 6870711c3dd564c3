#pragma once

#include <QString>
#include <cstdint>

#include "core/storage/app_folders.h"
#include "core/storage/record_lists.h"
#include "core/storage/store_load_result.h"

constexpr std::size_t kStoreReservedBytes = 5 * sizeof(ProfileRecord);

// The first 164884 bytes of pro.data: the selected profile's position, then a reserved block that
// is written back exactly as it was read.
struct StoreHeader {
    std::uint32_t current_profile_index;
    std::uint8_t reserved[kStoreReservedBytes];
};
static_assert(sizeof(StoreHeader) == 164884);
static_assert(offsetof(StoreHeader, reserved) == 4);

// Fills the profile list (emptied first) and the header from pro.data. A missing store becomes one
// default profile at index 0 and is written at once. A damaged one keeps every complete record and
// a valid index, and is written back repaired after its original was kept aside. One that cannot
// be read is left alone: the list gets one default profile in memory only. The list is never left
// empty.
StoreLoadResult LoadProfileStore(ProfileList& profiles, StoreHeader& header,
                                 const QString& dataFolder = GetDataFolder());

// Writes the header and every record, atomically. False when the file could not be written.
bool SaveProfileStore(const ProfileList& profiles, const StoreHeader& header,
                      const QString& dataFolder = GetDataFolder());

// Appends a default profile named after "add_profile_text" and the new count ("Profile1"), made
// unique. Does not save.
ProfileRecord& AddDefaultProfile(ProfileList& profiles);
