#pragma once

#include <QString>

// The number a user typed at the start of a field, read leniently: leading blanks and an optional
// sign, then the leading digits; text without leading digits gives 0. Saturates at the int range
// instead of wrapping, so a long run of digits never turns into a small number.
long long ParseLeadingDecimal(const QString& text);
