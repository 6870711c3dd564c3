// Applies through real links over a fake cable, paced by the fake clock, and the device worker that
// runs them.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <atomic>
#include <unistd.h>

#include "core/report/change_detection.h"
#include "device/device_worker.h"
#include "device/links_rig.h"

namespace {

// The commands the cable was sent; a macro counts once, by its first half.
std::vector<int> SentCommands()
{
    std::vector<int> commands;
    for (const auto& write : FakeCable().writes)
        if (write[0] != 9 || write[3] == 0)
            commands.push_back(write[0]);
    return commands;
}

bool Pending(LinksRig& rig)
{
    return rig.session.Locked([](ProfileSession::State& s) { return DetectChanges(s.Current(), *s.appliedSnapshot).Any(); });
}

TEST(ApplyProfile, ASwitchSendsEverySectionInOrderWithItsPausesThenOnlyWhatChanged)
{
    LinksRig rig("c");
    rig.Current([](ProfileRecord& p) {
        for (auto [button, key] : {std::pair{3, 0x04}, {7, 0x05}}) {  // a one-key macro each
            p.buttons[button].function = 17;
            p.buttons[button].macro_action_count = 1;
            p.buttons[button].macro_actions[0] = {std::uint8_t(key), 1, 10};
        }
    });
    ASSERT_TRUE(rig.Apply());  // the load set the full-send flag
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x04, 0x05, 0x06, 0x09, 0x09, 0x08}));
    EXPECT_EQ(rig.clock.pauses, (std::vector<int>{500, 500, 500, 200, 200, 500, 200, 200, 500, 500}));
    const auto& buttons = FakeCable().writes.back();
    EXPECT_EQ(std::tuple(buttons[3 + 3 * 3 + 2], buttons[3 + 3 * 7 + 2]), std::tuple(1, 2));  // buttons 3 and 7 hold macros 1 and 2
    EXPECT_EQ(std::tuple(FakeCable().writes[3][2], FakeCable().writes[3][11]), std::tuple(1, 0x04));  // macro 1's first key
    // Each later apply sends what changed since the one before; pro.data follows.
    const struct {
        void (*edit)(ProfileRecord&);
        std::vector<int> sent;
        int offset, stored;  // a field of pro.data's first profile
    } rows[] = {{[](ProfileRecord&) {}, {}, 2356, 2},
                {[](ProfileRecord& p) { p.move_mode = 1; }, {}, 2360, 1},  // nothing to send, yet saved
                {[](ProfileRecord& p) { p.polling_rate = 0; }, {0x06}, 2356, 0}};
    for (const auto& row : rows) {
        FakeCable().writes.clear();
        rig.Current(row.edit);
        ASSERT_TRUE(rig.Apply());
        EXPECT_EQ(SentCommands(), row.sent);
        EXPECT_EQ(GetU32(rig.Store(), 164884 + row.offset), std::uint32_t(row.stored));
        EXPECT_FALSE(Pending(rig));
    }
    // An edit made while a report is on its way goes out with the next apply.
    rig.Current([](ProfileRecord& p) { p.polling_rate = 1; });
    rig.Apply([&] { rig.Current([](ProfileRecord& p) { p.brightness = 3; }); });
    FakeCable().writes.clear(), rig.Apply();
    EXPECT_EQ(SentCommands(), std::vector<int>{0x05});
}

// While the mouse cannot be reached (no link; asleep behind the cable) nothing is sent, yet the
// edit is saved and stays owed. A report that no link took leaves a full send owed.
TEST(ApplyProfile, AMouseOutOfReachGetsNothingButTheEditIsSavedAndOwed)
{
    for (const char* up : {"", "c"}) {
        SCOPED_TRACE(up);
        LinksRig rig(up);
        rig.Apply(), rig.links.HandleWiredLink(0x40100000);  // the start's send, then the mouse sleeps
        rig.Current([](ProfileRecord& p) { p.polling_rate = 0; });
        FakeCable().writes.clear();
        EXPECT_FALSE(rig.Apply());
        EXPECT_EQ(std::tuple(FakeCable().writes.size(), GetU32(rig.Store(), 164884 + 2356), Pending(rig)), std::tuple(0u, 0u, true));
    }
    LinksRig rig("c");
    FakeCable().setFeatureResults = {1, 0};  // the lighting report is lost
    ASSERT_TRUE(rig.Apply());
    FakeCable().writes.clear(), rig.Apply();
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x04, 0x05, 0x06, 0x08}));
}

// Whether a thread of this process sleeps (state S in /proc), as one blocked in a join does.
bool Sleeping(pid_t thread)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(thread));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "S";
}

// Quit() ends the worker after the messages already queued: an apply asked for just before the
// window closes still reaches the mouse. The first message is held until Quit() waits for the
// thread, so the rest are still queued when it is called.
TEST(DeviceWorker, QuitServesEveryMessageQueuedBeforeItInOrderOnTheWorkerThread)
{
    const pid_t caller = gettid();
    std::atomic<bool> quitting{false};
    std::vector<std::uint32_t> served;
    std::vector<pid_t> threads;
    DeviceWorker worker([&](std::uint32_t message) {
        for (QDeadlineTimer deadline(20000); message == 1 && !(quitting && Sleeping(caller)) && !deadline.hasExpired();)
            std::this_thread::yield();
        served.push_back(message), threads.push_back(gettid());
    });
    for (std::uint32_t message : {1u, 2u, 3u, 4u})
        worker.PostThreadMessage(message);
    quitting = true;
    worker.Quit();
    EXPECT_EQ(served, (std::vector<std::uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(std::pair(threads.size(), std::count(threads.begin(), threads.end(), caller)), std::pair(std::size_t(4), std::ptrdiff_t(0)));
}

}  // namespace
