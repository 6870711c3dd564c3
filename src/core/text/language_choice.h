#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// The languages the user's session asks for, most wanted first, as the suffixes of language files
// ("de_DE", "de" for res/lan_de_DE.xml and res/lan_de.xml). Read from LANGUAGE (a colon-separated
// list), then the message locale (LC_ALL, else LC_MESSAGES, else LANG). Empty when English is
// wanted or nothing is set; the plain "C" and "POSIX" locales (and no locale at all) mean English
// and silence LANGUAGE, as they do for every other program of the session, while "C.UTF-8" leaves
// LANGUAGE its say.
QStringList PreferredLanguageCodes(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
