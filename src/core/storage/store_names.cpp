#include "core/storage/store_names.h"

#include <algorithm>

#include "core/text/name_field.h"

namespace {

template <typename List>
bool AnyNameEquals(const List& list, const QString& name)
{
    return std::any_of(list.begin(), list.end(), [&](const auto& record) {
        return ReadNameField(record->name).compare(name, Qt::CaseInsensitive) == 0;
    });
}

template <typename List>
QString UniqueNameIn(const List& list, const QString& wanted, qsizetype maxChars)
{
    const QString name = FitName(wanted, maxChars);
    if (!AnyNameEquals(list, name))
        return name;
    for (int counter = 1;; ++counter) {
        const QString suffix = QLatin1Char('_') + QString::number(counter);
        const QString candidate = FitName(name, maxChars - suffix.size()) + suffix;
        if (!AnyNameEquals(list, candidate))
            return candidate;
    }
}

}  // namespace

bool NameExists(const ProfileList& profiles, const QString& name)
{
    return AnyNameEquals(profiles, name);
}

bool NameExists(const MacroList& macros, const QString& name)
{
    return AnyNameEquals(macros, name);
}

QString MakeUniqueName(const ProfileList& profiles, const QString& name)
{
    return UniqueNameIn(profiles, name, kProfileNameUnits - 1);
}

QString MakeUniqueName(const MacroList& macros, const QString& name)
{
    return UniqueNameIn(macros, name, kMacroNameUnits - 1);
}
