// The Bluetooth LE mouse in the real main window: a fake BlueZ on a private bus, the emulated
// mouse's driver libraries for cable and receiver, and the page's indicators and window state.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>

#include "app/shell/main_wnd.h"
#include "core/platform/dynamic_library.h"
#include "fakes/fake_bluez.h"
#include "fakes/fake_device.h"
#include "support/ui_test_support.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
constexpr int kWaitMs = 5000;

class PageBleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
        qputenv("KARVO_SIM_SOCKET", (socketDir.path() + QStringLiteral("/sim.sock")).toUtf8());
        bus = std::make_unique<PrivateSystemBus>();
    }
    static void TearDownTestSuite() { bus.reset(); }

    void Build(bool cable, bool receiver)
    {
        ASSERT_TRUE(bus->Running()) << "dbus-daemon could not be started";
        qputenv("KARVO_SIM_CABLE", cable ? "1" : "0");
        qputenv("KARVO_SIM_RECEIVER", receiver ? "1" : "0");
        device = DynamicLibrary::Load(kDemo + QStringLiteral("libkarvo_simmouse.so"));
        ASSERT_TRUE(device);
        auto command = device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command");
        char reply[64];
        command("reset", reply, sizeof reply);
        window.Page().SetDriverFolder(kDemo);
        window.Page().SetClock(&clock);
        ASSERT_TRUE(window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        ProcessPending();
    }

    void TearDown() override { window.Page().ShutdownDevice(); }

    bool WaitUntil(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > kWaitMs)
                return false;
            ProcessPending();
        }
        ProcessPending();
        return true;
    }

    bool Shown(const char* name)
    {
        QWidget* control = window.PaintManager().FindControl(QLatin1String(name));
        return control && control->isVisibleTo(window.GetHWND());
    }

    static inline QTemporaryDir socketDir;
    static inline std::unique_ptr<PrivateSystemBus> bus;
    std::unique_ptr<DynamicLibrary> device;
    FakeClock clock;
    CMainWnd window;
};

TEST_F(PageBleTest, ArrivalWhileTheReceiverIsUpShowsTheIndicatorAndLeavesTheWindowAlone)
{
    FakeBluez bluez({.mouseConnected = false});
    Build(false, true);
    ASSERT_TRUE(window.DevicePresent());
    ASSERT_FALSE(window.GetHWND()->isHidden());
    EXPECT_FALSE(Shown("ms_1_BLE"));
    bluez.SetMouseConnected(true);
    ASSERT_TRUE(WaitUntil([this] { return window.Page().Links()->BlePresent(); }));
    EXPECT_TRUE(Shown("ms_1_BLE"));
    EXPECT_FALSE(Shown("ms_1_sleep_label"));
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_FALSE(window.GetHWND()->isHidden());
}

TEST_F(PageBleTest, RemovalWithTheCableUpChangesNothingAtTheMainWindow)
{
    FakeBluez bluez;
    Build(true, false);
    ASSERT_TRUE(WaitUntil([this] { return Shown("ms_1_BLE"); }));
    bluez.SetMouseConnected(false);
    ASSERT_TRUE(WaitUntil([this] { return !window.Page().Links()->BlePresent(); }));
    EXPECT_FALSE(Shown("ms_1_BLE"));
    EXPECT_TRUE(Shown("ms_1_wired"));
    EXPECT_FALSE(Shown("ms_1_sleep_label"));
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_FALSE(window.GetHWND()->isHidden());
}

TEST_F(PageBleTest, TheOnlyMouseGoingHidesTheWindow)
{
    FakeBluez bluez;
    Build(false, false);
    ASSERT_TRUE(WaitUntil([this] { return window.DevicePresent(); }));
    EXPECT_TRUE(Shown("ms_1_BLE"));
    window.ShowWindow(true);
    ASSERT_FALSE(window.GetHWND()->isHidden());

    bluez.RemoveMouse();
    ASSERT_TRUE(WaitUntil([this] { return !window.DevicePresent(); }));
    EXPECT_TRUE(window.GetHWND()->isHidden());
    // The page itself is put away with the window; its controls keep their own state.
    EXPECT_TRUE(window.PaintManager().FindControl(QStringLiteral("ms_1_BLE"))->isHidden());
    EXPECT_FALSE(window.PaintManager().FindControl(QStringLiteral("ms_1_sleep_label"))->isHidden());
}

TEST_F(PageBleTest, WithOnlyTheBluetoothMouseTheStartUpSendAndItsEventsGoOverIt)
{
    FakeBluez bluez;
    Build(false, false);
    // The whole profile goes out at start: DPI, lighting, polling rate and buttons.
    ASSERT_TRUE(WaitUntil([&] { return bluez.Writes().size() >= 4; }));
    QList<int> commands;
    for (const auto& [path, value] : bluez.Writes()) {
        EXPECT_EQ(path, FakeBluez::kReport);
        ASSERT_GE(value.size(), 3);
        EXPECT_EQ(int(quint8(value.at(1))), value.size());
        commands << int(quint8(value.at(0)));
    }
    EXPECT_TRUE(commands.contains(0x04) && commands.contains(0x05) && commands.contains(0x06) && commands.contains(0x08))
        << commands.size();

    // The mouse's DPI button, reported as a notification, selects the stage on the page.
    ASSERT_TRUE(WaitUntil([&] { return bluez.EventNotifying(); }));
    auto* option = window.PaintManager().FindControl<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_3"));
    ASSERT_TRUE(option);
    bluez.Notify(QByteArray("\x00\x10\x03\x00", 4));
    EXPECT_TRUE(WaitUntil([&] { return option->isChecked(); }));
}

}  // namespace
