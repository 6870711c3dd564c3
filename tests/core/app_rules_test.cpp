// Application rules: the pattern match, and apps.json read tolerantly.
#include <gtest/gtest.h>

#include <QDir>

#include "core/rules/apps_file.h"
#include "support/test_files.h"

TEST(AppRules, PatternsMatchWholeIgnoringCaseWithStars) {
    struct Row { const char* pattern; const char* text; bool matches; };
    const Row kRows[] = {{"firefox", "Firefox", true},   {"firefox", "firefox-esr", false}, {"fire*", "Firefox-ESR", true},
                         {"*fox", "firefox", true},      {"*fox", "foxes", false},          {"steam_app_*", "steam_app_730", true},
                         {"a.b", "axb", false},          {"a*b*c", "aXXbYc", true},         {"*", "", false},
                         {"game", "", false},            {"[x]", "[X]", true}};
    for (const Row& row : kRows)
        EXPECT_EQ(PatternMatches(QLatin1String(row.pattern), QLatin1String(row.text)), row.matches) << row.pattern << " / " << row.text;
}

TEST(AppRules, FirstRuleForClassOrExecutableWinsAndEditsFollowNames) {
    AppRules rules{{{"steam_app_*", RuleCondition::Front, "Shooter"}, {"steam_app_7", RuleCondition::Front, "Other"},
                    {"blender", RuleCondition::Front, "Art"}, {"game.x86_64", RuleCondition::Running, "Shooter"}}, "Office"};
    EXPECT_EQ(rules.FrontRule("steam_app_7", "")->profile, "Shooter");
    EXPECT_EQ(rules.FrontRule("", "Blender")->profile, "Art");
    EXPECT_EQ(rules.FrontRule("game.x86_64", "game.x86_64"), nullptr);  // a running rule is not a front rule
    EXPECT_EQ(rules.RunningRule({"bash", "GAME.x86_64"})->application, "game.x86_64");
    EXPECT_TRUE(rules.RenameProfile("Shooter", "Aim"));
    EXPECT_EQ(rules.DropMissingProfiles({"Aim", "Office"}), (QStringList{"steam_app_7", "blender"}));
    rules.Put({"STEAM_APP_*", RuleCondition::Front, "Office"});
    EXPECT_TRUE(rules.Remove("Game.x86_64"));
    EXPECT_EQ(rules, (AppRules{{{"STEAM_APP_*", RuleCondition::Front, "Office"}}, "Office"}));
}

TEST(AppsFile, RoundTripsAndKeepsADamagedFileAsideWithItsUsableRules) {
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.path() + "ms_1"));
    const QString path = AppsFilePath(folder.path());
    EXPECT_EQ(LoadAppsFile(path).result.outcome, StoreLoadResult::Outcome::Missing);
    const AppRules rules{{{"a*", RuleCondition::Front, "P1"}, {"b", RuleCondition::Running, "P2"}}, "P3"};
    ASSERT_TRUE(SaveAppsFile(path, rules));
    EXPECT_EQ(LoadAppsFile(path).rules, rules);
    EXPECT_EQ(LoadAppsFile(path).result.outcome, StoreLoadResult::Outcome::Loaded);

    struct Row { QByteArray bytes; const char* problem; AppRules kept; };
    const Row kDamaged[] = {
        {"{\"rules\": [", "not JSON", {}},
        {"[1, 2]", "no list of rules", {}},
        {R"({"default":"D","rules":[{"application":"x","profile":"P"},{"application":"y","condition":"sometimes","profile":"Q"},{"profile":"R"}]})",
         "rule 2, 3 is not whole", {{{"x", RuleCondition::Front, "P"}}, "D"}}};
    for (const Row& row : kDamaged) {
        SCOPED_TRACE(row.problem);
        WriteFileBytes(path, row.bytes);
        const AppsFileLoad load = LoadAppsFile(path);
        EXPECT_EQ(load.result.outcome, StoreLoadResult::Outcome::Repaired);
        EXPECT_TRUE(load.result.problem.contains(QLatin1String(row.problem))) << load.result.problem.toStdString();
        EXPECT_EQ(ReadFileBytes(load.result.keptAsidePath), row.bytes);
        EXPECT_EQ(load.rules, row.kept);
        EXPECT_EQ(LoadAppsFile(path).rules, row.kept);  // the repaired file was written
    }
}
