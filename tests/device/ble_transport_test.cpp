// The Bluetooth LE link against a fake BlueZ on a private bus: which characteristic takes the
// reports, what notifications become, and how arrival and removal reach the links.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>

#include "device/ble_link.h"
#include "device/ble_transport.h"
#include "device/bluez_names.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_bluez.h"
#include "fakes/fake_device.h"

namespace {

constexpr int kWaitMs = 5000;

// Bounded wait for what happens on other threads; returns as soon as it is true.
bool WaitUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct Heard {
    int scans = 0;
    bool scanPresent = false;
    int arrivals = 0;
    int removals = 0;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> events;
};

class BleTransportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus = std::make_unique<PrivateSystemBus>(); }
    static void TearDownTestSuite() { bus.reset(); }

    void SetUp() override { ASSERT_TRUE(bus->Running()) << "dbus-daemon could not be started"; }

    // A transport following the fake, its first answer already in.
    void Start(BleTransport& transport)
    {
        BleTransport::Callbacks callbacks;
        callbacks.initialScan = [this](bool present) {
            ++heard.scans;
            heard.scanPresent = present;
        };
        callbacks.arrived = [this] { ++heard.arrivals; };
        callbacks.removed = [this] { ++heard.removals; };
        callbacks.event = [this](std::uint16_t code, std::uint16_t value) { heard.events.emplace_back(code, value); };
        transport.Start(callbacks);
        ASSERT_TRUE(WaitUntil([this] { return heard.scans == 1; }));
    }

    static Report SampleReport(std::size_t length = 9)
    {
        Report report(length, 0x20);
        report[0] = 0x06;
        report[1] = std::uint8_t(length);
        report[2] = 1;
        return report;
    }

    static QByteArray Bytes(const Report& report)
    {
        return QByteArray(reinterpret_cast<const char*>(report.data()), qsizetype(report.size()));
    }

    static inline std::unique_ptr<PrivateSystemBus> bus;
    Heard heard;
};

TEST_F(BleTransportTest, WithoutAMouseAWriteReturnsZeroAtOnce)
{
    FakeBluez bluez({.mouse = false});
    ASSERT_TRUE(bluez.Published());
    BleTransport transport(BlueZ::SystemBusAddress());
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);  // not armed: BlueZ is not even asked
    Start(transport);
    EXPECT_FALSE(heard.scanPresent);
    transport.Arm(true);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);
    EXPECT_TRUE(bluez.Writes().isEmpty());  // the other device's report characteristic is not the mouse's
}

TEST_F(BleTransportTest, TheWritableReportCharacteristicTakesTheReportAndTheOthersAreSkipped)
{
    FakeBluez bluez;
    BleTransport transport(BlueZ::SystemBusAddress());
    Start(transport);
    EXPECT_TRUE(heard.scanPresent);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);  // present but not yet armed
    transport.Arm(true);
    const Report report = SampleReport();
    EXPECT_EQ(transport.WriteReport(report), 1);
    const auto writes = bluez.Writes();
    ASSERT_EQ(writes.size(), 1);
    EXPECT_EQ(writes[0].first, FakeBluez::kReport);  // not the read-only one before it, not the other device's
    EXPECT_EQ(writes[0].second, Bytes(report));

    transport.Arm(false);
    EXPECT_EQ(transport.WriteReport(report), 0);
    EXPECT_EQ(bluez.Writes().size(), 1);
}

TEST_F(BleTransportTest, ReportsLongerThan996BytesAreRefused)
{
    FakeBluez bluez;
    BleTransport transport(BlueZ::SystemBusAddress());
    Start(transport);
    transport.Arm(true);
    EXPECT_EQ(transport.WriteReport(SampleReport(997)), 0);
    EXPECT_TRUE(bluez.Writes().isEmpty());
    EXPECT_EQ(transport.WriteReport(SampleReport(996)), 1);
    EXPECT_EQ(transport.WriteReport(Report{}), 0);
    EXPECT_EQ(bluez.Writes().size(), 1);
}

TEST_F(BleTransportTest, AWriteTheMouseRefusesReturnsZero)
{
    FakeBluez bluez;
    BleTransport transport(BlueZ::SystemBusAddress());
    Start(transport);
    transport.Arm(true);
    bluez.SetWritesFail(true);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);
    EXPECT_EQ(bluez.Writes().size(), 1);
}

TEST_F(BleTransportTest, NotificationsBecomeEventsAndEmptyOrShortOnesReachNoHandler)
{
    FakeBluez bluez;
    BleTransport transport(BlueZ::SystemBusAddress());
    Start(transport);
    transport.Arm(true);
    ASSERT_TRUE(WaitUntil([&] { return bluez.EventNotifying(); }));
    bluez.Notify(QByteArray());
    bluez.Notify(QByteArray("\x00\x10\x03", 3));
    bluez.Notify(QByteArray("\x10\x40\x01\x0A\xFF", 5));  // bytes after the fourth are ignored
    ASSERT_TRUE(WaitUntil([this] { return !heard.events.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(heard.events.size(), 1u);
    EXPECT_EQ(heard.events[0], (std::pair<std::uint16_t, std::uint16_t>{0x4010, 0x0A01}));
}

TEST_F(BleTransportTest, ArrivalAndRemovalFollowTheMouse)
{
    FakeBluez bluez({.mouse = false});
    BleTransport transport(BlueZ::SystemBusAddress());
    Start(transport);
    transport.Arm(false);

    bluez.AddMouse(false);  // paired but not connected: not there yet
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([this] { return heard.arrivals == 1; }));
    transport.Arm(true);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 1);

    bluez.SetMouseConnected(false);
    ASSERT_TRUE(WaitUntil([this] { return heard.removals >= 1; }));
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);  // its characteristics no longer count
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([this] { return heard.arrivals == 2; }));
    const int removalsBefore = heard.removals;
    bluez.RemoveMouse();  // unpaired: its objects go, the device last
    ASSERT_TRUE(WaitUntil([&] { return heard.removals > removalsBefore; }));
    EXPECT_EQ(heard.arrivals, 2);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);
}

TEST_F(BleTransportTest, WithoutBusOrAdapterTheLinkStaysAbsent)
{
    BleTransport nowhere(QStringLiteral("unix:path=/nonexistent/karvo-test-bus"));
    Start(nowhere);
    EXPECT_FALSE(heard.scanPresent);
    nowhere.Arm(true);
    EXPECT_EQ(nowhere.WriteReport(SampleReport()), 0);

    heard = {};
    BleTransport noBluez(BlueZ::SystemBusAddress());  // a bus, but nobody owns org.bluez
    Start(noBluez);
    EXPECT_FALSE(heard.scanPresent);

    heard = {};
    FakeBluez bluez({.adapter = false});
    BleTransport noAdapter(BlueZ::SystemBusAddress());
    Start(noAdapter);
    EXPECT_FALSE(heard.scanPresent);
}

// The links over the transport: BlueZ's first answer finding the mouse as the only link brings
// it in and repeats the start-up send; events reach the links; a report goes out with its pause.
TEST_F(BleTransportTest, TheMouseFoundAtStartIsTheLinkForTheStartUpSend)
{
    FakeBluez bluez;
    QTemporaryDir dir;
    ProfileSession session(dir.path() + QLatin1Char('/'));
    session.Load();
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links(host, session, clock);
    FakeCable().Reset();
    FakeReceiver().Reset();
    FakeCable().openResult = 0;
    FakeReceiver().openResult = 0;
    links.SetCableDriver(FakeCable().Functions());
    links.SetReceiverDriver(FakeReceiver().Functions());
    int sendRequests = 0;
    BleLink ble(links, [&] { ++sendRequests; }, BlueZ::SystemBusAddress());
    KarvoPostTarget target{nullptr, nullptr};
    links.Open(&target, {1327, 1328}, {1325, 1326});
    ble.Start();
    ASSERT_TRUE(WaitUntil([&] { return links.BlePresent(); }));
    EXPECT_EQ(sendRequests, 1);
    EXPECT_TRUE(links.AnyLinkConnected());
    EXPECT_FALSE(links.Asleep());

    const Report report = SampleReport();
    EXPECT_EQ(links.SendReport(report), 1);
    EXPECT_EQ(clock.pauses, std::vector<int>{500});
    ASSERT_EQ(bluez.Writes().size(), 1);

    ASSERT_TRUE(WaitUntil([&] { return bluez.EventNotifying(); }));
    bluez.Notify(QByteArray("\x00\x70\x05\x00", 4));
    ASSERT_TRUE(WaitUntil([&] { return session.Locked([](ProfileSession::State& s) { return s.Current().light_effect; }) == 5; }));

    bluez.SetMouseConnected(false);
    ASSERT_TRUE(WaitUntil([&] { return !links.BlePresent(); }));
    EXPECT_FALSE(links.AnyLinkConnected());
    EXPECT_EQ(links.SendReport(report), 0);

    // Back again: subscribed afresh, its events arrive; no send by itself.
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([&] { return links.BlePresent() && bluez.EventNotifying(); }));
    bluez.Notify(QByteArray("\x00\x70\x02\x00", 4));
    ASSERT_TRUE(WaitUntil([&] { return session.Locked([](ProfileSession::State& s) { return s.Current().light_effect; }) == 2; }));
    EXPECT_EQ(sendRequests, 1);
}

}  // namespace
