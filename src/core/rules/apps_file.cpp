#include "core/rules/apps_file.h"

#include "core/storage/store_files.h"

QString AppsFilePath(const QString& dataFolder)
{
    return StoreFolderPath(dataFolder) + QStringLiteral("/apps.json");
}

AppsFileLoad LoadAppsFile(const QString& path)
{
    AppsFileLoad load;
    load.result = LoadStoreFile(
        path,
        [&](const QByteArray& bytes) {
            QString problem;
            load.rules = AppRulesFromJson(bytes, &problem);
            return problem;
        },
        [] {}, [&] { return SaveAppsFile(path, load.rules); }, [](StoreLoadResult&) {}, [&] { load.rules = {}; });
    return load;
}

bool SaveAppsFile(const QString& path, const AppRules& rules)
{
    const QByteArray bytes = AppRulesToJson(rules);
    return WriteFileAtomically(path, {QByteArrayView(bytes)});
}
