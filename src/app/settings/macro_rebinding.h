#pragma once

#include <QString>

#include "core/storage/record_lists.h"

struct ButtonRecord;

// The page shows buttons 0..11; only these are bound to macros from the page.
constexpr int kAssignableButtonCount = 12;

// The first macro of the list with the name, letter case aside; -1 when there is none.
int FindMacroByName(const MacroList& macros, const QString& name);

// Copies a macro into a button record: its name, its action count (low 16 bits), its 46 action
// slots and its position in the list.
void CopyMacroIntoButton(ButtonRecord& button, const MacroRecord& macro, int position);

// Keeps the macro copies in the button records of every profile in step with the macro list,
// after macros were added, renamed, changed or deleted. A macro button whose macro is gone goes
// back to the button's default; a button that only kept the name of a macro it once played is
// left with its function and loses the stale copy.
struct RebindResult {
    bool anyProfile = false;      // some profile had a button that played or named a macro
    bool currentProfile = false;  // the profile at currentIndex had one
};
RebindResult RebindMacros(ProfileList& profiles, const MacroList& macros, int currentIndex);
