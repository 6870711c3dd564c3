#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/rules/rule_engine.h"
#include "app/rules/rule_timer.h"
#include "app/rules/running_process_watch.h"

class MouseControl;
class ProfileSession;

// Puts the application rules to work in the running utility: reads ms_1/apps.json away from the
// window's thread, lets the rule engine switch through the same MouseControl the window and the
// D-Bus service use, writes changed rules on the shell's background thread, and runs the source
// of the application in front and the watch of running processes.
class RulesController final : public QObject {
public:
    RulesController(MouseControl& control, ProfileSession& session);
    ~RulesController() override;

    // Reads the rules, then starts following the source (none: running rules only).
    void Start(std::unique_ptr<ActiveApplicationSource> source);

    RuleEngine& Engine() { return m_engine; }
    // The source in use, empty when there is none.
    QString SourceName() const;
    // What was wrong with apps.json when it was read (kept aside), empty when nothing.
    QString LoadProblem() const { return m_loadProblem; }
    // The rules as the user changed them (dialog, karvoctl): followed at once; done hears, on the
    // UI thread, once apps.json holds them (an empty error) or why it does not.
    void SetRules(const AppRules& rules, std::function<void(const QString& error)> done = {});
    // Looks at the running processes once now (the rules dialog closed).
    void CheckRunningNow() { m_processes.CheckNow(); }
    // Heard whenever the rules (true) or the application in front (false) change.
    void SetChangeListener(std::function<void(bool rules)> listener) { m_changeListener = std::move(listener); }
    QStringList Profiles() const;
    // After each message of the window.
    void OnWindowMessage() { m_engine.OnProfilesMaybeChanged(); }

private:
    void Save(const AppRules& rules);
    std::function<void(const QString& error)> m_saveDone;  // for the save SetRules is making
    void Changed(bool rules);

    MouseControl& m_control;
    ProfileSession& m_session;
    QtRuleTimer m_timer;
    RuleEngine m_engine;
    RunningProcessWatch m_processes;
    std::unique_ptr<ActiveApplicationSource> m_source;
    QString m_loadProblem;
    bool m_fileIsOurs = false;  // apps.json was read (or was missing): we may write it
    std::function<void(bool rules)> m_changeListener;
};
