#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "device/device_links.h"
#include "device/profile_session.h"
#include "core/report/report_encoders.h"
#include "fakes/fake_device.h"
#include "support/test_files.h"

namespace {

constexpr std::uint32_t kWiredEvent = 1327, kWiredLink = 1328, kReceiverEvent = 1325, kReceiverLink = 1326;

// Links over two fake driver libraries, a fake clock and a recording host, with a fresh store.
class DeviceLinksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeCable().Reset();
        FakeReceiver().Reset();
        DriverCallLog().clear();
        session.Load();
        links.SetCableDriver(FakeCable().Functions());
        links.SetReceiverDriver(FakeReceiver().Functions());
    }

    void Open(bool cable, bool receiver, bool ble = false)
    {
        FakeCable().openResult = cable ? 1 : 0;
        FakeReceiver().openResult = receiver ? 1 : 0;
        links.SetBleProbe([ble] { return ble; });
        links.Open(&target, {kWiredEvent, kWiredLink}, {kReceiverEvent, kReceiverLink});
        host.log.clear();
        FakeCable().calls.clear();
        FakeReceiver().calls.clear();
    }

    // What pro.data holds once the saves asked for are written.
    QByteArray Store()
    {
        session.FlushSaves();
        return ReadFileBytes(folder.storeFile("pro.data"));
    }
    std::int32_t CurrentStage()
    {
        return session.Locked([](ProfileSession::State& s) { return s.Current().current_stage; });
    }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
    KarvoPostTarget target{nullptr, nullptr};
};

TEST_F(DeviceLinksTest, StartOpensCableThenReceiverInOrder)
{
    // The probe shares hidapi with the drivers' monitors, so it runs before any monitor starts.
    links.SetBleProbe([] {
        DriverCallLog() << QStringLiteral("ble-probe");
        return false;
    });
    links.Open(&target, {kWiredEvent, kWiredLink}, {kReceiverEvent, kReceiverLink});
    EXPECT_EQ(DriverCallLog(), (QStringList{"ble-probe", "cable:Set_VIDPID(1d57,fa61)", "cable:Open_DevMonitor(1327,1328)",
                                            "cable:Open_FeatureDevice", "receiver:Set_VIDPID(1d57,fa60)",
                                            "receiver:Open_DevMonitor(1325,1326)", "receiver:Open_FeatureDevice"}));
    EXPECT_EQ(FakeCable().target, &target);
    EXPECT_EQ(links.CableState(), LinkState::Open);
    EXPECT_EQ(links.ReceiverState(), LinkState::Open);
    EXPECT_FALSE(links.Asleep());
    EXPECT_TRUE(links.AnyLinkConnected());
    EXPECT_EQ(host.log, (QStringList{"sleep hidden", "charging", "wired shown", "watchdog-start", "wireless shown",
                                     "device-state"}));
}

TEST_F(DeviceLinksTest, MissingLibrariesLeaveEveryLinkClosed)
{
    DeviceLinks bare(host, session, clock);
    QTemporaryDir empty;
    bare.LoadDrivers(empty.path() + QLatin1Char('/'));
    bare.Open(&target, {kWiredEvent, kWiredLink}, {kReceiverEvent, kReceiverLink});
    EXPECT_EQ(bare.CableState(), LinkState::NotOpened);
    EXPECT_EQ(bare.ReceiverState(), LinkState::NotOpened);
    EXPECT_TRUE(bare.Asleep());
    EXPECT_FALSE(bare.AnyLinkConnected());
    EXPECT_EQ(bare.SendReport(Report{4, 3, 1}), 0);
    bare.HandleWiredLink(0x7F000001);
    clock.RunDeferred();  // the arrival completes without a library to call
    bare.Shutdown();
}

TEST_F(DeviceLinksTest, ArrivalWaitsThenOpensAndRepeatsAreIgnored)
{
    Open(false, false);
    links.HandleWiredLink(0x7F000001);
    EXPECT_EQ(links.CableState(), LinkState::NotOpened);  // still in its pause
    links.HandleWiredLink(0x7F000001);                     // a repeat while pending
    ASSERT_EQ(clock.deferred.size(), 1u);
    EXPECT_EQ(clock.deferred[0].first, 1000);
    clock.RunDeferred();
    EXPECT_EQ(links.CableState(), LinkState::Open);
    EXPECT_FALSE(links.Asleep());
    EXPECT_EQ(FakeCable().calls, QStringList{"Open_FeatureDevice"});
    EXPECT_TRUE(host.log.contains("device-state"));

    host.log.clear();
    links.HandleWiredLink(0x7F000001);  // already open: no pause, no open call
    EXPECT_TRUE(clock.deferred.empty());
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(DeviceLinksTest, RemovalOnceThenIgnoredAndOvertakesAPendingArrival)
{
    Open(true, false);
    links.HandleWiredLink(0x7F000002);
    EXPECT_EQ(links.CableState(), LinkState::Removed);
    EXPECT_TRUE(links.Asleep());
    EXPECT_FALSE(links.AnyLinkConnected());
    EXPECT_EQ(host.log, (QStringList{"sleep shown", "wired hidden", "layout", "power-clear", "device-state"}));
    host.log.clear();
    links.HandleWiredLink(0x7F000002);
    EXPECT_TRUE(host.log.isEmpty());

    links.HandleWiredLink(0x7F000001);
    links.HandleWiredLink(0x7F000002);  // removed again before the arrival's pause ended
    clock.RunDeferred();
    EXPECT_EQ(links.CableState(), LinkState::Removed);
}

TEST_F(DeviceLinksTest, CableArrivalWhileReceiverOpenPostsNoDeviceState)
{
    Open(false, true);
    links.HandleWiredLink(0x7F000001);
    clock.RunDeferred();
    EXPECT_TRUE(host.log.contains("wired shown"));
    EXPECT_FALSE(host.log.contains("device-state"));
}

TEST_F(DeviceLinksTest, UnknownLinkStatesAndForeignCodesDoNothing)
{
    Open(true, false);
    const QByteArray before = Store();
    for (std::uint32_t code : {0x7F000000u, 0x0FFF0003u, 0x90010003u, 0x90000003u, 0x30000001u})
        links.HandleWiredLink(code);
    EXPECT_TRUE(host.log.isEmpty());
    EXPECT_EQ(Store(), before);
}

TEST_F(DeviceLinksTest, DpiStageEventStoresSelectsAndShows)
{
    Open(true, false);
    links.HandleWiredLink(0x10000003);
    EXPECT_EQ(CurrentStage(), 2);
    EXPECT_EQ(host.log, (QStringList{"stage-option 3", "show-dpi 40"}));
    EXPECT_EQ(GetU32(Store(), 164884 + 2352), 2u);  // written to pro.data at once

    host.log.clear();
    const QByteArray before = Store();
    links.HandleReceiverLink(0x10000000);
    links.HandleDeviceEvent(0x1000, 9);
    EXPECT_EQ(CurrentStage(), 2);
    EXPECT_TRUE(host.log.isEmpty());
    EXPECT_EQ(Store(), before);
}

TEST_F(DeviceLinksTest, PollingAndLightingEventsWithinRangeOnly)
{
    Open(true, false);
    links.HandleDeviceEvent(0x2000, 9);
    links.HandleDeviceEvent(0x7000, 8);
    auto fields = [this] {
        return session.Locked([](ProfileSession::State& s) {
            return std::pair{s.Current().polling_rate, s.Current().light_effect};
        });
    };
    EXPECT_EQ(fields(), (std::pair{2, 7}));
    links.HandleDeviceEvent(0x2000, 5);
    links.HandleDeviceEvent(0x7000, 0);
    EXPECT_EQ(fields(), (std::pair{5, 0}));
    EXPECT_EQ(GetU32(Store(), 164884 + 2356), 5u);
}

TEST_F(DeviceLinksTest, StatusEventsSetOnlineAwakeAndBattery)
{
    Open(false, true);
    links.HandleReceiverLink(0x40100A01);
    EXPECT_TRUE(links.MouseOnline());
    EXPECT_FALSE(links.Asleep());
    EXPECT_EQ(links.BatteryLevel(), 10);
    EXPECT_EQ(host.log, (QStringList{"watchdog-stop", "watchdog-start", "wireless shown", "layout", "sleep shown",
                                     "sleep hidden", "battery 10"}));
    host.log.clear();
    links.HandleReceiverLink(0x40100B01);  // level 11: display unchanged
    EXPECT_FALSE(host.log.join(' ').contains("battery"));
    EXPECT_EQ(links.BatteryLevel(), 10);
    links.HandleReceiverLink(0x40100000);
    EXPECT_TRUE(links.Asleep());
    EXPECT_EQ(host.log.last(), QStringLiteral("sleep shown"));

    links.OnOnlineWatchdogExpired();
    EXPECT_FALSE(links.MouseOnline());
    EXPECT_TRUE(links.Asleep());  // the watchdog leaves the asleep flag alone
}

TEST_F(DeviceLinksTest, StatusOverTheCableIsHandledAsOverTheReceiver)
{
    Open(true, false);
    links.HandleWiredLink(0x40100701);
    EXPECT_TRUE(links.MouseOnline());
    EXPECT_FALSE(links.Asleep());
    EXPECT_EQ(links.BatteryLevel(), 7);
    EXPECT_EQ(host.log, (QStringList{"watchdog-stop", "watchdog-start", "wireless shown", "layout", "sleep shown",
                                     "sleep hidden", "battery 7"}));
    host.log.clear();
    links.HandleWiredLink(0x40100000);  // asleep, no level
    EXPECT_TRUE(links.Asleep());
    EXPECT_EQ(host.log, (QStringList{"watchdog-stop", "watchdog-start", "sleep shown"}));
}

// Events that only rewrite pro.data are told apart from those that do not by an edit that is
// still only in memory: a rewrite puts it into the file.
TEST_F(DeviceLinksTest, BatteryEventStoresTheLevelWithoutWritingTheStore)
{
    Open(true, false);
    const QByteArray before = Store();
    session.Locked([](ProfileSession::State& s) { s.Current().brightness = 3; });
    links.HandleWiredLink(0x60000006);
    EXPECT_EQ(links.BatteryLevel(), 6);
    for (std::uint16_t outOfRange : {0, 11, 0xFFFF})
        links.HandleDeviceEvent(0x6000, outOfRange);
    EXPECT_EQ(links.BatteryLevel(), 6);
    links.HandleDeviceEvent(0x6000, 10);
    EXPECT_EQ(links.BatteryLevel(), 10);
    EXPECT_TRUE(host.log.isEmpty());  // the display keeps what the last status showed
    EXPECT_EQ(Store(), before);
}

TEST_F(DeviceLinksTest, Event8000RewritesTheStoreAndChangesNothingElse)
{
    Open(true, false);
    const QByteArray before = Store();
    session.Locked([](ProfileSession::State& s) { s.Current().brightness = 3; });
    links.HandleDeviceEvent(0x8000, 0);
    links.HandleDeviceEvent(0x8000, 6);
    EXPECT_EQ(Store(), before);  // out of range: dropped

    links.HandleWiredLink(0x80000003);
    const QByteArray after = Store();
    EXPECT_EQ(GetU32(after, 164884 + 2340), 3u);
    QByteArray expected = before;
    expected.replace(164884 + 2340, 4, after.mid(164884 + 2340, 4));
    EXPECT_EQ(after, expected);  // only the edit made in memory reached the file
    EXPECT_TRUE(host.log.isEmpty());
    links.HandleDeviceEvent(0x8000, 1);
    links.HandleDeviceEvent(0x8000, 5);
    EXPECT_EQ(Store(), after);
}

TEST_F(DeviceLinksTest, ReceiverRemovalStopsTheWatchdogAndKeepsTheOnlineFlag)
{
    Open(false, true);
    links.HandleReceiverLink(0x40100801);
    ASSERT_TRUE(links.MouseOnline());
    host.log.clear();
    FakeReceiver().calls.clear();
    links.HandleReceiverLink(0x7F000002);
    EXPECT_EQ(links.ReceiverState(), LinkState::Removed);
    EXPECT_EQ(host.log, (QStringList{"wireless hidden", "layout", "watchdog-stop", "device-state"}));
    EXPECT_EQ(FakeReceiver().calls, QStringList{"Close_FeatureDevice"});
    EXPECT_FALSE(links.AnyLinkConnected());
    EXPECT_TRUE(links.MouseOnline());  // left as it was
    EXPECT_FALSE(links.AnyLinkUp());
    EXPECT_EQ(links.SendReport(Report{6, 9, 1, 2, 0, 0, 0, 0, 0}), 0);
    EXPECT_TRUE(FakeReceiver().writes.empty());
}

TEST_F(DeviceLinksTest, ReceiverCarriesReportsOnlyOnceTheMouseIsOnline)
{
    Open(false, true);
    const Report polling = EncodePollingReport(*CreateProfile(QStringLiteral("P")));
    EXPECT_EQ(links.SendReport(polling), 0);
    EXPECT_TRUE(FakeReceiver().writes.empty());
    links.HandleReceiverLink(0x40100801);
    EXPECT_EQ(links.SendReport(polling), 1);
    ASSERT_EQ(FakeReceiver().writes.size(), 1u);
    EXPECT_EQ(FakeReceiver().writes[0], polling);
    EXPECT_EQ(clock.pauses, std::vector<int>{500});
}

TEST_F(DeviceLinksTest, CableWinsOverReceiverAndFailuresFallThrough)
{
    Open(true, true);
    links.HandleReceiverLink(0x40100801);
    const Report polling = EncodePollingReport(*CreateProfile(QStringLiteral("P")));
    links.SendReport(polling);
    EXPECT_EQ(FakeCable().writes.size(), 1u);
    EXPECT_TRUE(FakeReceiver().writes.empty());

    FakeCable().setFeatureResults = {0};
    EXPECT_EQ(links.SendReport(polling), 1);
    EXPECT_EQ(FakeReceiver().writes.size(), 1u);
    EXPECT_EQ(clock.pauses, (std::vector<int>{500, 500}));
}

TEST_F(DeviceLinksTest, MacroReportGoesOverTheCableInTwoHalves)
{
    Open(true, true);
    links.HandleReceiverLink(0x40100801);
    Report macro = NewReport(ReportCommand::kMacro, ReportLength::kMacro, 2);
    for (std::size_t i = 3; i < macro.size(); ++i)
        macro[i] = std::uint8_t(i);
    EXPECT_EQ(links.SendReport(macro), 1);
    ASSERT_EQ(FakeCable().writes.size(), 2u);
    for (std::size_t half = 0; half < 2; ++half) {
        const auto& packet = FakeCable().writes[half];
        ASSERT_EQ(packet.size(), 64u);
        EXPECT_EQ(packet[0], 9);
        EXPECT_EQ(packet[1], 64);
        EXPECT_EQ(packet[2], 2);
        EXPECT_EQ(packet[3], half);
        EXPECT_EQ(packet[4], 3 + 60 * half);   // report bytes 3..62, then 63..122
        EXPECT_EQ(packet[63], 62 + 60 * half);
    }
    EXPECT_EQ(clock.pauses, (std::vector<int>{200, 200, 500}));

    // A first half taken and a second refused: the cable had it, the receiver is not tried.
    FakeCable().writes.clear();
    clock.pauses.clear();
    FakeCable().setFeatureResults = {1, 0};
    EXPECT_EQ(links.SendReport(macro), 0);
    EXPECT_TRUE(FakeReceiver().writes.empty());
    EXPECT_EQ(clock.pauses, std::vector<int>{200});
}

TEST_F(DeviceLinksTest, ShutdownClosesReceiverThenCable)
{
    Open(true, true);
    DriverCallLog().clear();
    links.Shutdown();
    EXPECT_EQ(DriverCallLog(), (QStringList{"receiver:Close_FeatureDevice", "receiver:Close_DevMonitor",
                                            "cable:Close_FeatureDevice", "cable:Close_DevMonitor"}));
    EXPECT_EQ(links.SendReport(Report{6, 9, 1, 2, 0, 0, 0, 0, 0}), 0);
}

TEST_F(DeviceLinksTest, ChargingAnimationWrapsAfterHundred)
{
    std::vector<int> shown;
    for (int i = 0; i < 53; ++i)
        shown.push_back(links.NextChargingValue());
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[50], 100);  // 100 is still shown
    EXPECT_EQ(shown[51], 0);
}

// Bluetooth LE presence: the mouse arriving and going over BlueZ.

TEST_F(DeviceLinksTest, BleArrivalWhileTheReceiverIsUpShowsTheIndicatorButKeepsTheDeviceState)
{
    Open(false, true);
    std::vector<bool> armed;
    links.SetBleArm([&armed](bool on) { armed.push_back(on); });
    links.OnBlePresence(true);
    EXPECT_TRUE(links.BlePresent());
    EXPECT_FALSE(links.Asleep());
    EXPECT_EQ(armed, std::vector<bool>{true});
    EXPECT_EQ(host.log, (QStringList{"sleep hidden", "ble shown", "layout"}));  // no device-state
}

TEST_F(DeviceLinksTest, BleArrivalAsTheOnlyLinkReportsTheDeviceState)
{
    Open(false, false);
    links.OnBlePresence(true);
    EXPECT_TRUE(links.AnyLinkConnected());
    EXPECT_EQ(host.log, (QStringList{"sleep hidden", "ble shown", "layout", "device-state"}));
}

TEST_F(DeviceLinksTest, BleRemovalWithTheCableUpChangesNothingAtTheMainWindow)
{
    Open(true, false, true);
    std::vector<bool> armed;
    links.SetBleArm([&armed](bool on) { armed.push_back(on); });
    links.OnBlePresence(false);
    EXPECT_FALSE(links.BlePresent());
    EXPECT_TRUE(links.AnyLinkConnected());
    EXPECT_EQ(armed, std::vector<bool>{false});
    EXPECT_EQ(host.log, (QStringList{"ble hidden", "layout"}));  // no sleep notice, no device-state
}

TEST_F(DeviceLinksTest, BleRemovalWithNothingElseUpRepeatsHarmlessly)
{
    Open(false, false, true);
    EXPECT_TRUE(links.AnyLinkConnected());
    for (int i = 0; i < 3; ++i)
        links.OnBlePresence(false);
    EXPECT_FALSE(links.AnyLinkConnected());
    EXPECT_FALSE(links.BlePresent());
    const QStringList once{"ble hidden", "sleep shown", "layout", "device-state"};
    EXPECT_EQ(host.log, once + once + once);
    // Writes stop at once: no link takes the report and no pause follows.
    int bleWrites = 0;
    links.SetBleWriter([&bleWrites](const Report&) { return ++bleWrites; });
    EXPECT_EQ(links.SendReport(NewReport(0x06, 9)), 0);
    EXPECT_EQ(bleWrites, 0);
    EXPECT_TRUE(clock.pauses.empty());
}

TEST_F(DeviceLinksTest, BleRemovalWhileTheReceiverHasTheMouseOnlineShowsNoSleepNotice)
{
    Open(false, true, true);
    links.HandleReceiverLink(0x40100001);  // status: awake
    host.log.clear();
    links.OnBlePresence(false);
    EXPECT_EQ(host.log, (QStringList{"ble hidden", "layout"}));
}

TEST_F(DeviceLinksTest, ReportsGoOverBluetoothLeOnlyWhenNoOtherLinkTakesThem)
{
    Open(false, false, true);
    std::vector<Report> bleReports;
    links.SetBleWriter([&bleReports](const Report& r) {
        bleReports.push_back(r);
        return 1;
    });
    const Report report = NewReport(0x06, 9);
    EXPECT_EQ(links.SendReport(report), 1);
    EXPECT_EQ(bleReports, std::vector<Report>{report});
    EXPECT_EQ(clock.pauses, std::vector<int>{500});
}

}  // namespace
