// The Bluetooth LE link against a fake BlueZ on a private bus: which characteristic takes the
// reports, what notifications become, and how arrival and removal reach the links.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "device/ble_transport.h"
#include "device/bluez_names.h"
#include "fakes/fake_bluez.h"

namespace {

// Waits for what BlueZ's thread and the bus bring, as long as it takes up to a generous limit.
bool WaitUntil(const std::function<bool()>& done)
{
    for (QDeadlineTimer deadline(20000); !done(); QCoreApplication::processEvents(QEventLoop::AllEvents, 10))
        if (deadline.hasExpired())
            return false;
    return true;
}

Report SampleReport(std::size_t length = 9)
{
    Report report(length, 0x20);
    return length >= 3 ? (report[0] = 0x06, report[1] = std::uint8_t(length), report[2] = 1, report) : report;
}

class BleTransportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus = std::make_unique<PrivateSystemBus>(); }
    static void TearDownTestSuite() { bus.reset(); }
    void SetUp() override { ASSERT_TRUE(bus->Running()) << "dbus-daemon could not be started"; }

    // Starts the transport and waits for BlueZ's first answer: whether the mouse was there.
    bool Start(BleTransport& transport)
    {
        transport.Start({[this](bool present) { scans.push_back(present); }, [this] { ++arrivals; }, [this] { ++removals; },
                         [this](std::uint16_t code, std::uint16_t value) { events.emplace_back(code, value); }});
        EXPECT_TRUE(WaitUntil([this] { return !scans.empty(); }));
        return !scans.empty() && scans.back();
    }

    static inline std::unique_ptr<PrivateSystemBus> bus;
    std::vector<bool> scans;
    int arrivals = 0, removals = 0;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> events;
};

TEST_F(BleTransportTest, OnlyTheMousesWritableReportCharacteristicTakesReportsWhileArmed)
{
    FakeBluez bluez;
    ASSERT_TRUE(bluez.Published());
    BleTransport transport(BlueZ::SystemBusAddress());
    EXPECT_TRUE(Start(transport));
    const struct {
        bool armed, refusing;
        std::size_t length;
        int result, writes;  // what WriteReport returns; the writes BlueZ has seen since the start
    } rows[] = {{false, false, 9, 0, 0}, {true, false, 9, 1, 1},   {true, false, 997, 0, 1}, {true, false, 996, 1, 2},
                {true, false, 0, 0, 2},  {true, true, 9, 0, 3},    {false, false, 9, 0, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.armed << row.refusing << ' ' << row.length);
        transport.Arm(row.armed);
        bluez.SetWritesFail(row.refusing);
        const Report report = SampleReport(row.length);
        EXPECT_EQ(transport.WriteReport(report), row.result);
        const auto writes = bluez.Writes();
        ASSERT_EQ(writes.size(), row.writes);
        const QByteArray bytes(reinterpret_cast<const char*>(report.data()), qsizetype(row.length));
        EXPECT_TRUE(!row.result || writes.back() == qMakePair(FakeBluez::kReport, bytes));  // not the read-only 0xFEE3, nor the other device's
    }
}

// Without a bus, without BlueZ, or with only another device using the mouse's numbers, there is no link.
TEST_F(BleTransportTest, WithoutTheMouseBusOrBluezTheLinkStaysAbsent)
{
    for (const QString& address : {QStringLiteral("unix:path=/nonexistent/karvo-test-bus"), BlueZ::SystemBusAddress()}) {
        BleTransport transport(address);
        EXPECT_FALSE(Start(transport));
        EXPECT_EQ((transport.Arm(true), transport.WriteReport(SampleReport())), 0);
    }
}

// BlueZ tells of the connection before it has resolved the mouse's services: the mouse counts once
// its report characteristic is known, so the send that its arrival asks for reaches it.
TEST_F(BleTransportTest, TheMouseArrivesWithItsReportCharacteristic)
{
    FakeBluez bluez({.mouse = false});
    bluez.AddMouse(true, false);
    BleTransport transport(BlueZ::SystemBusAddress());
    EXPECT_FALSE(Start(transport));
    bluez.AddMouseServices();
    ASSERT_TRUE(WaitUntil([this] { return arrivals == 1; }));
    EXPECT_EQ((transport.Arm(true), transport.WriteReport(SampleReport())), 1);
}

// The mouse pairs, connects, goes and comes back, and is unpaired. While it is there and the
// transport armed, its notifications become events: empty or short ones reach no handler, bytes
// after the fourth are ignored.
TEST_F(BleTransportTest, ArrivalRemovalAndNotificationsFollowTheMouse)
{
    FakeBluez bluez({.mouse = false});
    BleTransport transport(BlueZ::SystemBusAddress());
    EXPECT_FALSE(Start(transport));  // the other device's report characteristic is not the mouse's
    EXPECT_EQ((transport.Arm(true), transport.WriteReport(SampleReport())), 0);
    EXPECT_TRUE(bluez.Writes().isEmpty());
    bluez.AddMouse(false);  // paired but not connected: not there yet
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([this] { return arrivals == 1; }));
    EXPECT_EQ(transport.WriteReport(SampleReport()), 1);
    ASSERT_TRUE(WaitUntil([&] { return bluez.EventNotifying(); }));
    for (const QByteArray& value : {QByteArray(), QByteArray("\x00\x10\x03", 3), QByteArray("\x10\x40\x01\x0A\xFF", 5)})
        bluez.Notify(value);
    ASSERT_TRUE(WaitUntil([this] { return !events.empty(); }));  // in order: the short ones came first
    QCoreApplication::processEvents();
    EXPECT_EQ(events, (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x4010, 0x0A01}}));

    bluez.SetMouseConnected(false);
    ASSERT_TRUE(WaitUntil([this] { return removals >= 1; }));
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);  // its characteristics no longer count
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([&] { return arrivals == 2 && bluez.EventNotifying(); }));  // subscribed afresh
    bluez.Notify(QByteArray("\x00\x70\x02\x00", 4));
    ASSERT_TRUE(WaitUntil([this] { return events.size() == 2; }));
    EXPECT_EQ(events.back(), (std::pair<std::uint16_t, std::uint16_t>{0x7000, 0x0002}));
    const int removalsBefore = removals;
    bluez.RemoveMouse();  // unpaired: its objects go, the device last
    ASSERT_TRUE(WaitUntil([&] { return removals > removalsBefore; }));
    EXPECT_EQ(arrivals, 2);
    EXPECT_EQ(transport.WriteReport(SampleReport()), 0);
}

}  // namespace
