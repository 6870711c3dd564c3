#pragma once

#include <memory>
#include <vector>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"

// The page's ordered lists of owned records: list order is file order and display order.
using ProfileList = std::vector<std::unique_ptr<ProfileRecord>>;
using MacroList = std::vector<std::unique_ptr<MacroRecord>>;
