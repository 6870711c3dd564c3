#include "app/rules/rule_engine.h"

#include <QLoggingCategory>

#include "app/rules/rule_timer.h"

Q_LOGGING_CATEGORY(lcRules, "karvo.app.rules", QtInfoMsg)

namespace {

bool SameApplication(const ActiveApplication& a, const ActiveApplication& b)
{
    return a.appClass.compare(b.appClass, Qt::CaseInsensitive) == 0
           && a.executable.compare(b.executable, Qt::CaseInsensitive) == 0;
}

int IndexOfProfile(const QStringList& names, const QString& wanted)
{
    const int exact = int(names.indexOf(wanted));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

}  // namespace

RuleEngine::RuleEngine(RuleEngineHooks hooks, RuleTimer& timer) : m_hooks(std::move(hooks)), m_timer(timer)
{
    m_current = m_hooks.currentProfile();
}

void RuleEngine::LoadRules(AppRules rules)
{
    m_rules = std::move(rules);
    m_names = m_hooks.profileNames();
    m_runningMatch.clear();
    OnRunningExecutables(m_runningExecutables);
    Reconsider();
    Changed(true);
}

void RuleEngine::SetRules(AppRules rules)
{
    if (rules == m_rules)
        return;
    LoadRules(std::move(rules));
    m_hooks.saveRules(m_rules);
}

void RuleEngine::OnActiveApplication(const ActiveApplication& application)
{
    // No window in front (the desktop, or a moment between two windows) changes nothing: the
    // application that was in front still counts.
    if (application.IsEmpty())
        return;
    if (SameApplication(application, m_front)) {
        m_front = application;
        return;
    }
    m_front = application;
    RecordSeen(application);
    qCInfo(lcRules) << "in front:" << application.appClass << application.executable << application.pid;
    m_handSwitch = false;
    Reconsider();
    Changed(false);
}

void RuleEngine::OnRunningExecutables(const QStringList& executables)
{
    m_runningExecutables = executables;
    const AppRule* rule = m_rules.RunningRule(executables);
    const QString match = rule ? rule->application : QString();
    if (match == m_runningMatch)
        return;
    m_runningMatch = match;
    qCInfo(lcRules) << "running rule that holds:" << match;
    m_handSwitch = false;
    Reconsider();
}

void RuleEngine::OnProfilesMaybeChanged()
{
    const int current = m_hooks.currentProfile();
    if (current != m_current) {
        m_current = current;
        m_handSwitch = !m_rules.Empty();
        m_timer.Stop();
    }
    if (m_rules.Empty())
        return;
    const QStringList names = m_hooks.profileNames();
    if (names == m_names)
        return;
    bool changed = false;
    if (names.size() == m_names.size()) {
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names.at(i) != m_names.at(i) && m_rules.RenameProfile(m_names.at(i), names.at(i))) {
                qCInfo(lcRules) << "rules follow profile" << m_names.at(i) << "renamed" << names.at(i);
                changed = true;
            }
    } else if (names.size() < m_names.size()) {
        const QStringList dropped = m_rules.DropMissingProfiles(names);
        if (!dropped.isEmpty())
            qCInfo(lcRules) << "rules dropped with their deleted profile:" << dropped;
        changed = !dropped.isEmpty();
    }
    m_names = names;
    if (changed) {
        m_hooks.saveRules(m_rules);
        Changed(true);
    }
}

void RuleEngine::Reconsider()
{
    if (m_rules.Empty() || m_handSwitch) {
        m_timer.Stop();
        return;
    }
    m_timer.Start(kSettleMs, [this] { Due(); });
}

QString RuleEngine::TargetProfile() const
{
    if (!m_front.IsEmpty())
        if (const AppRule* rule = m_rules.FrontRule(m_front.appClass, m_front.executable))
            return rule->profile;
    if (!m_runningMatch.isEmpty())
        if (const AppRule* rule = m_rules.RunningRule(m_runningExecutables))
            return rule->profile;
    // Before anything was seen in front there is nothing to go back from.
    return m_front.IsEmpty() && !m_rules.HasRunningRule() ? QString() : m_rules.defaultProfile;
}

void RuleEngine::Due()
{
    // A rename or a switch by hand need not have come with a window message.
    OnProfilesMaybeChanged();
    const QString target = TargetProfile();
    if (m_handSwitch || target.isEmpty())
        return;
    const int index = IndexOfProfile(m_hooks.profileNames(), target);
    if (index < 0) {
        qCInfo(lcRules) << "no profile is named" << target;
        return;
    }
    if (index == m_hooks.currentProfile()) {
        qCInfo(lcRules) << "profile" << target << "is already current for" << m_front.Name();
        return;
    }
    qCInfo(lcRules) << "profile" << target << "follows" << m_front.Name();
    m_hooks.switchProfile(index);
    m_current = m_hooks.currentProfile();
}

void RuleEngine::RecordSeen(const ActiveApplication& application)
{
    m_seen.removeIf([&](const ActiveApplication& seen) { return SameApplication(seen, application); });
    m_seen.prepend(application);
    if (m_seen.size() > kSeenLimit)
        m_seen.removeLast();
}

void RuleEngine::Changed(bool rules)
{
    if (m_hooks.changed)
        m_hooks.changed(rules);
}
