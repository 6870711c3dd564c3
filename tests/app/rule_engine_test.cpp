// The rule engine on a fake clock and a scripted application in front.
#include <gtest/gtest.h>

#include "app/rules/rule_engine.h"
#include "app/rules/rule_timer.h"

namespace {

class FakeTimer final : public RuleTimer {
public:
    void Start(int ms, std::function<void()> due) override { m_dueAt = m_now + ms, m_due = std::move(due); }
    void Stop() override { m_due = nullptr; }
    void Advance(int ms) {
        m_now += ms;
        if (m_due && m_now >= m_dueAt)
            std::exchange(m_due, nullptr)();
    }

private:
    int m_now = 0, m_dueAt = 0;
    std::function<void()> m_due;
};

// Steps, separated by spaces: F:class (comes in front; "F:" nothing), T:ms (time passes),
// H:index (switch by hand), R:index=name (rename), D:index (delete), X:exe,exe (running processes).
struct Row { const char* name; const char* defaultProfile; const char* steps; const char* switches; const char* savedRules; };
const Row kRows[] = {
    {"WaitsTheWholeSettleTime", "", "F:gamer T:499", "", ""},
    {"SwitchesAfterIt", "", "F:gamer T:499 T:1", "1", ""},
    {"FlickSendsNothing", "", "F:gamer T:300 F:xterm T:500 F:gamer T:100", "", ""},
    {"FlickToTheDefaultsOwnProfileNothingEither", "Desk", "F:gamer T:300 F:xterm T:500", "", ""},
    {"DefaultWhenTheApplicationLeaves", "Desk", "F:gamer T:500 F:xterm T:500 F: T:500", "1,0", ""},
    {"WithoutDefaultTheProfileStays", "", "F:gamer T:500 F:xterm T:500", "1", ""},
    {"ExecutableAndClassIgnoreCase", "", "F:BLENDER T:500", "2", ""},
    {"HandSwitchWinsUntilTheApplicationChanges", "", "F:gamer T:500 H:0 F: F:gamer T:900 F:xterm T:500 F:gamer T:500", "1,1", ""},
    {"HandSwitchDuringTheWaitWins", "", "F:gamer T:200 H:2 T:900", "", ""},
    {"RenamedProfileIsFollowed", "", "R:1=Shooter F:gamer T:500", "1", "game*>Shooter blender>Art runner>Art"},
    {"RenameOfAnUnboundProfileChangesNothing", "", "R:0=Office F:gamer T:500", "1", ""},
    {"DeletedProfilesRuleIsDropped", "Game", "D:1 F:gamer T:500", "", "blender>Art runner>Art"},
    {"RunningRuleHoldsWhileItsProcessRuns", "Desk", "X:bash,runner T:500 X:bash T:500", "2,0", ""},
    {"FrontRuleBeforeRunningRule", "", "X:runner F:gamer T:500", "1", ""},
};

class RuleEngineTest : public testing::TestWithParam<Row> {};

TEST_P(RuleEngineTest, SwitchesAsTheApplicationsComeAndGo) {
    const Row& row = GetParam();
    QStringList names{"Desk", "Game", "Art"};
    int current = 0;
    QStringList switches, saved;
    FakeTimer timer;
    RuleEngine engine({[&] { return names; }, [&] { return current; },
                       [&](int index) { switches << QString::number(current = index); return true; },
                       [&](const AppRules& rules) {
                           saved.clear();
                           for (const AppRule& rule : rules.rules)
                               saved << rule.application + ">" + rule.profile;
                       }, {}},
                      timer);
    engine.LoadRules({{{"game*", RuleCondition::Front, "Game"}, {"blender", RuleCondition::Front, "Art"},
                       {"runner", RuleCondition::Running, "Art"}}, row.defaultProfile});
    for (const QString& step : QString(row.steps).split(' ')) {
        const QString arg = step.mid(2);
        switch (step.at(0).toLatin1()) {
        case 'F': engine.OnActiveApplication({arg == "BLENDER" ? "" : arg, arg == "BLENDER" ? arg : "", 0}); break;
        case 'T': timer.Advance(arg.toInt()); break;
        case 'H': current = arg.toInt(), engine.OnProfilesMaybeChanged(); break;
        case 'R': names[arg.section('=', 0, 0).toInt()] = arg.section('=', 1), engine.OnProfilesMaybeChanged(); break;
        case 'D': names.removeAt(arg.toInt()), engine.OnProfilesMaybeChanged(); break;
        case 'X': engine.OnRunningExecutables(arg.split(',')); break;
        }
    }
    EXPECT_EQ(switches.join(','), row.switches);
    EXPECT_EQ(saved.join(' '), row.savedRules);
}

INSTANTIATE_TEST_SUITE_P(Rows, RuleEngineTest, testing::ValuesIn(kRows), [](const auto& info) { return std::string(info.param.name); });

}  // namespace
