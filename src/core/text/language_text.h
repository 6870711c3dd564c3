#pragma once

#include <QString>
#include <functional>

class QLocale;

// Texts shown to the user are looked up by language key. The toolkit installs a lookup backed by
// res/lan.xml; without one, a few built-in English texts answer and any other key answers itself.
using TextLookup = std::function<QString(const QString& key)>;

void SetTextLookup(TextLookup lookup);
QString LanguageText(const QString& key);

// Numbers shown among the texts are written as the texts' language writes them ("0,5" in German
// and French, "0.5" in English, the default), never with digit grouping.
void SetTextLocale(const QLocale& locale);
QString LanguageDecimal(double value, int decimals);
