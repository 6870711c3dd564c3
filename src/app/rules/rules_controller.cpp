#include "app/rules/rules_controller.h"

#include <QLoggingCategory>

#include "app/shell/background_queue.h"
#include "app/shell/mouse_control.h"
#include "core/rules/apps_file.h"
#include "core/storage/store_files.h"
#include "device/profile_session.h"

Q_DECLARE_LOGGING_CATEGORY(lcRules)

RulesController::RulesController(MouseControl& control, ProfileSession& session)
    : m_control(control),
      m_session(session),
      m_engine(
          RuleEngineHooks{
              [this] { return m_control.ProfileNames(); },
              [this] {
                  return m_session.Locked([](ProfileSession::State& state) {
                      return state.header ? int(state.header->current_profile_index) : -1;
                  });
              },
              [this](int index) { return m_control.SwitchProfile(index); },
              [this](const AppRules& rules) { Save(rules); },
              [this](bool rules) { Changed(rules); },
          },
          m_timer),
      m_processes([this](const QStringList& executables) { m_engine.OnRunningExecutables(executables); })
{
}

RulesController::~RulesController()
{
    m_source.reset();
    BackgroundQueue::Shell().WaitForDone();
}

void RulesController::Start(std::unique_ptr<ActiveApplicationSource> source)
{
    m_source = std::move(source);
    const QString path = AppsFilePath(m_session.DataFolder());
    BackgroundQueue::Shell().Run<AppsFileLoad>([path] { return LoadAppsFile(path); }, this, [this](AppsFileLoad load) {
        m_fileIsOurs = load.result.outcome != StoreLoadResult::Outcome::Unreadable;
        if (!load.result.problem.isEmpty()) {
            m_loadProblem = load.result.keptAsidePath.isEmpty()
                                ? load.result.problem
                                : QStringLiteral("%1 (kept as %2)").arg(load.result.problem, load.result.keptAsidePath);
            qCWarning(lcRules) << "apps.json:" << m_loadProblem;
        }
        m_engine.LoadRules(load.rules);
        if (m_source && m_source->Start([this](const ActiveApplication& app) { m_engine.OnActiveApplication(app); })) {
            qCInfo(lcRules) << "the application in front comes from" << m_source->Name();
        } else {
            m_source.reset();
            qCInfo(lcRules) << "nothing tells the application in front here: running rules only";
        }
    });
}

QStringList RulesController::Profiles() const
{
    return m_control.ProfileNames();
}

QString RulesController::SourceName() const
{
    return m_source ? m_source->Name() : QString();
}

void RulesController::SetRules(const AppRules& rules, std::function<void(const QString& error)> done)
{
    if (rules == m_engine.Rules()) {
        if (done)
            done({});
        return;
    }
    m_saveDone = std::move(done);
    m_engine.SetRules(rules);
}

void RulesController::Save(const AppRules& rules)
{
    auto done = std::exchange(m_saveDone, {});
    if (!m_fileIsOurs) {
        const QString error = QStringLiteral("apps.json could not be read at start; it is not written over");
        qCWarning(lcRules) << error;
        if (done)
            done(error);
        return;
    }
    // Written on the shell's background thread, in the order asked for, atomically.
    const QString folder = m_session.DataFolder();
    const QString path = AppsFilePath(folder);
    const QByteArray bytes = AppRulesToJson(rules);
    BackgroundQueue::Shell().Run<bool>(
        [folder, path, bytes] { return EnsureStoreFolder(folder) && WriteFileAtomically(path, {QByteArrayView(bytes)}); },
        this, [path, done](bool written) {
        const QString error = written ? QString() : QStringLiteral("cannot write %1").arg(path);
        if (!written)
            qCWarning(lcRules) << error;
        if (done)
            done(error);
    });
}

void RulesController::Changed(bool rules)
{
    // Processes are looked at only while a running rule exists, however the rules changed.
    if (rules)
        m_processes.Enable(m_engine.Rules().HasRunningRule());
    if (m_changeListener)
        m_changeListener(rules);
}
