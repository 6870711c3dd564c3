#pragma once

#include <cstddef>
#include <memory>

#include "core/storage/record_lists.h"

struct ProfileImport {
    std::size_t profileIndex = 0;  // position of the imported profile in the list
    int macrosCreated = 0;         // macros brought along into the macro list
};

// Appends an imported profile under a unique name and brings its bound macros along: every button
// 0..17 assigned a macro gets a new macro in the macro list, made from the button's embedded copy
// under a unique name, and points at it. Saving both stores is the caller's.
ProfileImport ImportProfileRecord(ProfileList& profiles, MacroList& macros,
                                  std::unique_ptr<ProfileRecord> record);
