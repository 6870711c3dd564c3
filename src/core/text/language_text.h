#pragma once

#include <QString>
#include <functional>

// Texts shown to the user are looked up by language key. The toolkit installs a lookup backed by
// res/lan.xml; without one, a few built-in English texts answer and any other key answers itself.
using TextLookup = std::function<QString(const QString& key)>;

void SetTextLookup(TextLookup lookup);
QString LanguageText(const QString& key);
