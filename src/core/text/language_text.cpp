#include "core/text/language_text.h"

#include <mutex>

namespace {

std::mutex g_lookupMutex;
TextLookup g_lookup;

QString BuiltInText(const QString& key)
{
    if (key == QLatin1String("add_profile_text"))
        return QStringLiteral("Profile");
    if (key == QLatin1String("add_macro_text"))
        return QStringLiteral("Macro");
    return key;
}

}  // namespace

void SetTextLookup(TextLookup lookup)
{
    std::lock_guard lock(g_lookupMutex);
    g_lookup = std::move(lookup);
}

QString LanguageText(const QString& key)
{
    TextLookup lookup;
    {
        std::lock_guard lock(g_lookupMutex);
        lookup = g_lookup;
    }
    if (lookup) {
        QString text = lookup(key);
        if (!text.isEmpty())
            return text;
    }
    return BuiltInText(key);
}
