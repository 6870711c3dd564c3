#include <gtest/gtest.h>

#include "core/text/name_field.h"
#include "device/apply_profile.h"
#include "core/report/change_detection.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "support/test_files.h"

namespace {

void BindMacro(ButtonRecord& button, std::uint8_t key)
{
    button.function = 17;
    button.macro_action_count = 1;
    button.macro_actions[0] = {key, 1, 10};
}

// Applies through real links over a fake cable, paced by a fake clock.
class ApplyProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeCable().Reset();
        FakeReceiver().Reset();
        FakeReceiver().openResult = 0;
        session.Load();
        links.SetCableDriver(FakeCable().Functions());
        links.SetReceiverDriver(FakeReceiver().Functions());
        links.Open(&target, {1327, 1328}, {1325, 1326});
        clock.pauses.clear();
    }

    bool Apply()
    {
        return ApplyProfile(ApplyContext{
            session, [this] { return links.Asleep() || forceAsleep; },
            [this](const Report& report) {
                if (duringSend)
                    duringSend();
                return links.SendReport(report);
            },
            {}});
    }

    std::vector<int> SentCommands() const
    {
        std::vector<int> commands;
        for (const auto& write : FakeCable().writes)
            if (write[0] != 9 || write[3] == 0)  // a macro counts once, by its first half
                commands.push_back(write[0]);
        return commands;
    }

    void Edit(const std::function<void(ProfileRecord&)>& change)
    {
        session.Locked([&](ProfileSession::State& state) { change(state.Current()); });
    }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
    KarvoPostTarget target{nullptr, nullptr};
    bool forceAsleep = false;
    std::function<void()> duringSend;
};

TEST_F(ApplyProfileTest, ProfileSwitchSendsEverySectionInOrderWithPauses)
{
    Edit([](ProfileRecord& p) {
        BindMacro(p.buttons[7], 0x05);
        BindMacro(p.buttons[3], 0x04);
    });
    ASSERT_TRUE(Apply());  // the load set the full-send flag
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x04, 0x05, 0x06, 0x09, 0x09, 0x08}));
    EXPECT_EQ(clock.pauses, (std::vector<int>{500, 500, 500, 200, 200, 500, 200, 200, 500, 500}));
    const auto& buttonReport = FakeCable().writes.back();
    EXPECT_EQ(buttonReport[3 + 3 * 3 + 2], 1);  // button 3 holds macro 1
    EXPECT_EQ(buttonReport[3 + 3 * 7 + 2], 2);
    EXPECT_EQ(FakeCable().writes[3][2], 1);
    EXPECT_EQ(FakeCable().writes[3][11], 0x04);  // report byte 10 (macro 1's first key) sits at packet byte 11

    // Nothing changed since: the next apply sends nothing.
    FakeCable().writes.clear();
    ASSERT_TRUE(Apply());
    EXPECT_TRUE(FakeCable().writes.empty());
}

TEST_F(ApplyProfileTest, MoveModeOnlyChangeSendsNothingButSavesAndSnapshots)
{
    Apply();
    FakeCable().writes.clear();
    Edit([](ProfileRecord& p) { p.move_mode = 1; });
    ASSERT_TRUE(Apply());
    EXPECT_TRUE(FakeCable().writes.empty());
    session.FlushSaves();
    EXPECT_EQ(GetU32(ReadFileBytes(folder.storeFile("pro.data")), 164884 + 2360), 1u);
    EXPECT_EQ(session.Locked([](ProfileSession::State& s) { return s.appliedSnapshot->move_mode; }), 1);
}

TEST_F(ApplyProfileTest, AsleepSendsAndSavesNothing)
{
    const QByteArray before = ReadFileBytes(folder.storeFile("pro.data"));
    Edit([](ProfileRecord& p) { p.polling_rate = 0; });
    forceAsleep = true;
    EXPECT_FALSE(Apply());
    EXPECT_TRUE(FakeCable().writes.empty());
    session.FlushSaves();
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), before);
    EXPECT_TRUE(session.Locked([](ProfileSession::State& s) { return s.fullSend; }));
}

TEST_F(ApplyProfileTest, AnEditDuringAnApplyGoesOutWithTheNextOne)
{
    duringSend = [this] {
        Edit([](ProfileRecord& p) { p.brightness = 3; });
        duringSend = nullptr;
    };
    Apply();
    const SectionChanges pending = session.Locked(
        [](ProfileSession::State& s) { return DetectChanges(s.Current(), *s.appliedSnapshot); });
    EXPECT_TRUE(pending.lighting);

    FakeCable().writes.clear();
    Apply();
    EXPECT_EQ(SentCommands(), std::vector<int>{0x05});
}

TEST_F(ApplyProfileTest, UnreachableMouseLosesTheReportButTakesTheSnapshot)
{
    FakeCable().setFeatureResults = std::vector<int>(10, 0);
    ASSERT_TRUE(Apply());
    EXPECT_TRUE(clock.pauses.empty());
    EXPECT_FALSE(session.Locked([](ProfileSession::State& s) {
        return DetectChanges(s.Current(), *s.appliedSnapshot).Any();
    }));
}

}  // namespace
