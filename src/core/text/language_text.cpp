#include "core/text/language_text.h"

#include <QLocale>
#include <mutex>

namespace {

std::mutex g_lookupMutex;
TextLookup g_lookup;
QLocale g_textLocale(QLocale::English);

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

void SetTextLocale(const QLocale& locale)
{
    std::lock_guard lock(g_lookupMutex);
    g_textLocale = locale;
}

QString LanguageDecimal(double value, int decimals)
{
    QLocale locale;
    {
        std::lock_guard lock(g_lookupMutex);
        locale = g_textLocale;
    }
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}
