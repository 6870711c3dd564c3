#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Which application a rule looks for.
enum class RuleCondition {
    Front,    // its window is the one in front
    Running,  // a process with that executable runs (where the desktop does not tell what is in front)
};

// One application bound to one profile, by the profile's name. The application is a pattern
// matched against the window class (X11 WM_CLASS class, Wayland app id) and the executable's file
// name: whole, ignoring case, `*` standing for any run of characters.
struct AppRule {
    QString application;
    RuleCondition condition = RuleCondition::Front;
    QString profile;

    bool operator==(const AppRule&) const = default;
};

// What the rule engine follows: the rules in order (the first match wins) and the profile made
// current when an application without a rule comes in front (empty: the profile stays).
struct AppRules {
    std::vector<AppRule> rules;
    QString defaultProfile;

    bool operator==(const AppRules&) const = default;
    bool Empty() const { return rules.empty() && defaultProfile.isEmpty(); }
    bool HasRunningRule() const;

    // The rule for an application (class or executable), or nullptr.
    const AppRule* FrontRule(const QString& appClass, const QString& executable) const;
    // The first running rule whose pattern names one of the executables, or nullptr.
    const AppRule* RunningRule(const QStringList& executables) const;

    // Adds a rule, or gives the rule with the same application (ignoring case) the new profile.
    void Put(const AppRule& rule);
    // Removes the rule for application (ignoring case); false when there is none.
    bool Remove(const QString& application);
    // Rules (and the default) naming `from` name `to` afterwards. True when any did.
    bool RenameProfile(const QString& from, const QString& to);
    // Drops the rules (and the default) naming a profile that is not among names; their
    // applications are returned, for the log.
    QStringList DropMissingProfiles(const QStringList& names);
};

// Whole-text match ignoring case; `*` stands for any run of characters, nothing else is special.
bool PatternMatches(const QString& pattern, const QString& text);

QString ConditionName(RuleCondition condition);

// apps.json: {"default": "...", "rules": [{"application", "condition", "profile"}, ...]}.
QByteArray AppRulesToJson(const AppRules& rules);
// Reads what it can; a non-empty error says what was wrong (the file counts as damaged). Rules
// without an application or profile, or with an unknown condition, are left out and reported.
AppRules AppRulesFromJson(const QByteArray& bytes, QString* error);
