#pragma once

#include <QString>

#include "core/storage/record_lists.h"

// Names are unique within their list without regard to letter case.
bool NameExists(const ProfileList& profiles, const QString& name);
bool NameExists(const MacroList& macros, const QString& name);

// The name itself when free, else the first free "name_1", "name_2", ... The result always fits
// its record's field (99 characters for a profile, 23 for a macro): a name too long for its field
// is cut, and the base is shortened so that base plus suffix fits.
QString MakeUniqueName(const ProfileList& profiles, const QString& name);
QString MakeUniqueName(const MacroList& macros, const QString& name);
