#pragma once

#include <QString>

#include "core/rules/app_rules.h"
#include "core/storage/store_load_result.h"

// ms_1/apps.json in a data folder (which ends in a separator): the application rules, kept beside
// the stores and written like them, atomically.
QString AppsFilePath(const QString& dataFolder);

struct AppsFileLoad {
    AppRules rules;
    StoreLoadResult result;  // Missing: no rules yet; Repaired: the original kept aside, see problem
};

// Reads the rules. A damaged file keeps its usable rules; its bytes are kept aside first and the
// repaired rules written in its place. A file that cannot be read is left alone (Unreadable):
// it must not be written over during this run.
AppsFileLoad LoadAppsFile(const QString& path);

// Writes the rules as the whole new content of the file, atomically.
bool SaveAppsFile(const QString& path, const AppRules& rules);
