#pragma once

#include <memory>
#include <vector>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/storage/shared_records.h"

// The page's ordered lists of owned records: list order is file order and display order. Profiles
// are copy-on-write, so that a save can take the whole list in an instant and write it at leisure.
using ProfileList = SharedRecordList<ProfileRecord>;
using MacroList = std::vector<std::unique_ptr<MacroRecord>>;
