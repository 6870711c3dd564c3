#pragma once

#include <QString>
#include <memory>

#include "core/storage/record_files.h"
#include "core/storage/record_lists.h"

// A *.macro file holds exactly one macro record. Reading takes the checks of ReadRecordFile and
// refuses an action count outside 0..46 and a name without terminator within its 24 units; on
// refusal, error says why and nothing is returned.
std::unique_ptr<MacroRecord> ReadMacroFile(const QString& path, const QString& dataFolder, TransferError* error);

// Writes the record's 240 bytes exactly as stored, atomically (see WriteRecordFile).
TransferError WriteMacroFile(const QString& path, const QString& dataFolder, const MacroRecord& record);

// Appends an imported macro under a unique name, cleaned like a typed one; every other byte stays
// as read. Returns its position. Saving the macro store is the caller's.
std::size_t AppendImportedMacro(MacroList& macros, std::unique_ptr<MacroRecord> record);
