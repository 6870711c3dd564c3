#pragma once

#include <QString>

#include "core/storage/app_folders.h"
#include "core/storage/profile_store.h"
#include "core/storage/record_lists.h"

// Saves a change that spans both stores (a profile import that brings macros along) as one:
// macro.data first, then pro.data. When pro.data cannot be written, macro.data gets back the bytes
// it held before (or is removed again when there was none), so a failure leaves both stores as
// they were. A crash between the two saves leaves at most macros no profile refers to yet, never a
// profile pointing at macros that are not there. False, with error saying what happened, when the
// change was not saved.
bool SaveProfileAndMacroStores(const ProfileList& profiles, const StoreHeader& header, const MacroList& macros,
                               QString* error, const QString& dataFolder = GetDataFolder());
