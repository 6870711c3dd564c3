#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/rules/active_application_source.h"
#include "core/rules/app_rules.h"

class RuleTimer;

// What the rule engine works through: the profile list as the window holds it, the switch the
// window makes, and where changed rules go.
struct RuleEngineHooks {
    std::function<QStringList()> profileNames;
    std::function<int()> currentProfile;
    std::function<bool(int index)> switchProfile;  // as a click in the profile list: one full send, store saved
    std::function<void(const AppRules&)> saveRules;
    std::function<void(bool rules)> changed;  // the rules (true) or the application in front changed
};

// Follows the application in front (and, for running rules, the running executables) and makes
// the bound profile current once an application has stayed in front for kSettleMs, so a quick
// Alt+Tab past it sends nothing. A switch made by hand wins until the application changes. Rules
// follow renamed profiles and lose deleted ones. UI thread only.
class RuleEngine {
public:
    static constexpr int kSettleMs = 500;
    static constexpr int kSeenLimit = 50;

    RuleEngine(RuleEngineHooks hooks, RuleTimer& timer);

    // The rules as read at start: followed, not saved.
    void LoadRules(AppRules rules);
    // The rules as the user changed them: saved and followed.
    void SetRules(AppRules rules);
    const AppRules& Rules() const { return m_rules; }

    void OnActiveApplication(const ActiveApplication& application);
    void OnRunningExecutables(const QStringList& executables);
    // After anything that may have renamed, deleted or switched profiles: renames and deletions
    // reach the rules, a switch not made here counts as made by hand.
    void OnProfilesMaybeChanged();

    const ActiveApplication& Front() const { return m_front; }
    // The applications seen in front since start, latest first.
    const QList<ActiveApplication>& Seen() const { return m_seen; }
    bool HandSwitchHolds() const { return m_handSwitch; }

private:
    void Reconsider();
    void Due();
    QString TargetProfile() const;
    void RecordSeen(const ActiveApplication& application);
    void Changed(bool rules);

    RuleEngineHooks m_hooks;
    RuleTimer& m_timer;
    AppRules m_rules;
    ActiveApplication m_front;
    QString m_runningMatch;  // the running rule's application that matches now
    QStringList m_runningExecutables;
    QList<ActiveApplication> m_seen;
    QStringList m_names;  // the profile names last looked at (while there are rules)
    int m_current = -1;
    bool m_handSwitch = false;
};
