#pragma once

#include <QString>

#include "core/storage/app_folders.h"
#include "core/storage/record_lists.h"
#include "core/storage/store_load_result.h"

// Fills the macro list (emptied first) from macro.data. A missing or empty file leaves the list
// empty and creates nothing. A trailing partial record is dropped: the complete records are kept,
// the original is kept aside and the store is written back without the fragment. One that cannot
// be read is left alone and the list stays empty.
StoreLoadResult LoadMacroStore(MacroList& macros, const QString& dataFolder = GetDataFolder());

// Writes every macro record, atomically; an empty list leaves an empty file.
bool SaveMacroStore(const MacroList& macros, const QString& dataFolder = GetDataFolder());

// Appends an empty macro named after "add_macro_text" and the new count ("Macro1"), made unique,
// then saves the macro store.
MacroRecord& AddDefaultMacro(MacroList& macros, const QString& dataFolder = GetDataFolder());
