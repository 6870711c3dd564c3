#pragma once

#include <QString>
#include <span>

// Names are UTF-16 strings stored in fixed fields with a terminating zero unit. Files from other
// sources may fill a field without a terminator, so reading never goes past the field.
QString ReadNameField(std::span<const char16_t> field);

// Writes at most field.size() - 1 units, then zero-fills the rest of the field.
void WriteNameField(std::span<char16_t> field, const QString& name);

// True when the field holds a zero unit, i.e. the name is properly terminated.
bool NameFieldTerminated(std::span<const char16_t> field);

// Cuts a name to at most maxUnits UTF-16 units without splitting a surrogate pair.
QString FitName(const QString& name, qsizetype maxUnits);

// A name as the user may give it: without control or other unprintable characters and without the
// spaces round it. Typed and imported names alike go through it; an empty result means "no name".
QString CleanName(const QString& name);
