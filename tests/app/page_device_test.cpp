// The settings page's device side inside the real main window: links, indicators, battery and
// charging display, DPI stage events and the worker, over the emulated mouse's libraries.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>

#include "app/shell/dpi_msg.h"
#include "app/shell/main_wnd.h"
#include "app/shell/window_messages.h"
#include "fakes/fake_device.h"
#include "core/platform/dynamic_library.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/tray_icon.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");

class PageDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
        qputenv("KARVO_SIM_SOCKET", (socketDir.path() + QStringLiteral("/sim.sock")).toUtf8());
    }

    void Build(bool cable, bool receiver, std::uint32_t style = CMainWnd::kStyle)
    {
        qputenv("KARVO_SIM_CABLE", cable ? "1" : "0");
        qputenv("KARVO_SIM_RECEIVER", receiver ? "1" : "0");
        device = DynamicLibrary::Load(kDemo + QStringLiteral("libkarvo_simmouse.so"));
        ASSERT_TRUE(device);
        command = device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command");
        Command("reset");
        window.Page().SetDriverFolder(kDemo);
        window.Page().SetClock(&clock);
        ASSERT_TRUE(window.Create(nullptr, style, 0, {0, 0, 800, 572}));
        ProcessPending();
    }

    void TearDown() override
    {
        window.Page().ShutdownDevice();
        SetModalDriver({});
    }

    QString Command(const char* line)
    {
        char reply[16384];
        command(line, reply, sizeof reply);
        ProcessPending();  // the mouse's messages reach the window
        return QString::fromUtf8(reply);
    }

    template <typename T = QWidget>
    T* Control(const char* name)
    {
        return window.PaintManager().FindControl<T>(QLatin1String(name));
    }

    static inline QTemporaryDir socketDir;
    std::unique_ptr<DynamicLibrary> device;
    int32_t (*command)(const char*, char*, int32_t) = nullptr;
    FakeClock clock;
    CMainWnd window;
};

TEST_F(PageDeviceTest, CableAtStartShowsChargingAndKeepsTheWindow)
{
    Build(true, false);
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_FALSE(window.GetHWND()->isHidden());
    EXPECT_TRUE(Control("ms_1_wired")->isVisibleTo(window.GetHWND()));
    EXPECT_FALSE(Control("ms_1_wireless")->isVisibleTo(window.GetHWND()));
    EXPECT_FALSE(Control("ms_1_sleep_label")->isVisibleTo(window.GetHWND()));
    EXPECT_EQ(ControlText(Control("ms_1_label_power")), QStringLiteral("Charging"));
    EXPECT_TRUE(window.PaintManager().IsTimerActive(Control("ms_1_progress_power"), TimerId::kChargingAnimation));

    // The charging animation: each tick shows the next value (the real timer is stopped first so
    // that only the ticks sent here count).
    auto* bar = Control<QProgressBar>("ms_1_progress_power");
    window.PaintManager().KillTimer(bar, TimerId::kChargingAnimation);
    window.PaintManager().SendNotify(bar, NotifyType::kTimer, -1, TimerId::kChargingAnimation);
    const int first = bar->value();
    window.PaintManager().SendNotify(bar, NotifyType::kTimer, -1, TimerId::kChargingAnimation);
    EXPECT_EQ(bar->value(), first == 100 ? 0 : first + 2);
}

TEST_F(PageDeviceTest, ChargingAnimationRunsOnlyWhileItsBarCanBeSeen)
{
    Build(true, false);
    auto* bar = Control<QProgressBar>("ms_1_progress_power");
    CPaintManagerUI& ui = window.PaintManager();
    ASSERT_TRUE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    ui.SendNotify(bar, NotifyType::kTimer, -1, TimerId::kChargingAnimation);
    const int shown = bar->value();
    const int next = shown + 2 > 100 ? 0 : shown + 2;

    window.GetHWND()->hide();  // closed to the tray
    EXPECT_FALSE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    EXPECT_EQ(bar->value(), shown);
    window.GetHWND()->show();
    EXPECT_TRUE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    EXPECT_EQ(bar->value(), next);  // goes on where it stopped, at once

    bar->hide();  // the bar alone out of sight pauses it too
    EXPECT_FALSE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    bar->show();
    EXPECT_TRUE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
}

TEST_F(PageDeviceTest, CableArrivingWhileHiddenStartsChargingWhenTheWindowIsShown)
{
    Build(false, true);
    Command("battery 7");
    auto* bar = Control<QProgressBar>("ms_1_progress_power");
    ASSERT_EQ(bar->value(), 70);
    CPaintManagerUI& ui = window.PaintManager();

    window.GetHWND()->hide();
    Command("plug cable");
    clock.RunDeferred();  // the arrival's pause
    ProcessPending();
    EXPECT_EQ(ControlText(Control("ms_1_label_power")), QStringLiteral("Charging"));
    EXPECT_FALSE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    window.GetHWND()->show();
    EXPECT_TRUE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));
    EXPECT_EQ(bar->value(), 0);  // the animation starts from the beginning, not at the old level

    window.GetHWND()->hide();
    Command("unplug cable");
    window.GetHWND()->show();
    EXPECT_FALSE(ui.IsTimerActive(bar, TimerId::kChargingAnimation));  // stopped, not paused
}

TEST_F(PageDeviceTest, AStoreThatCannotBeWrittenIsToldOnce)
{
    Build(true, false);
    ProfileSession& session = window.Page().Session();
    session.Writer().SetWriteFunction([](const QString&, const QByteArray&, QString* error) {
        *error = QStringLiteral("the disk is full");
        return false;
    });
    QStringList texts;
    ScopedModalDriver driver([&](WindowImplBase& box) {
        texts << ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    for (int stage : {1, 2}) {  // two failed saves before the window gets to them: one message
        session.Locked([stage](ProfileSession::State& s) { s.Current().current_stage = stage; });
        session.RequestProfileSave();
        session.FlushSaves();
    }
    ProcessPending();
    EXPECT_EQ(texts, QStringList{CResourceManager::Instance().GetText(QStringLiteral("save_failed_text"))});
    EXPECT_FALSE(texts.value(0).isEmpty());
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
}

TEST_F(PageDeviceTest, DpiButtonSelectsTheStageAndShowsThePopup)
{
    Build(true, false);
    auto* option = Control<QAbstractButton>("ms_1_option_dpi_step_3");
    int notifications = 0;
    QObject::connect(option, &QAbstractButton::toggled, [&](bool on) { notifications += on; });
    window.Page().Links()->HandleDeviceEvent(0x1000, 3);  // as the mouse reports it
    ProcessPending();
    EXPECT_TRUE(option->isChecked());
    EXPECT_EQ(notifications, 0);  // selected without notification: no send request follows
    ASSERT_TRUE(window.DpiPopup());
    EXPECT_EQ(window.DpiPopup()->Text(), QStringLiteral("DPI :1600"));
    EXPECT_EQ(window.Page().Session().Locked([](ProfileSession::State& s) { return s.Current().current_stage; }), 2);
}

TEST_F(PageDeviceTest, ReceiverStatusShowsBatteryAndTheWatchdogTakesTheMouseOffline)
{
    Build(false, true);
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_MOUSE_ONLINE), 6000);
    Command("battery 7");
    EXPECT_TRUE(window.Page().Links()->MouseOnline());
    EXPECT_EQ(ControlText(Control("ms_1_label_power")), QStringLiteral("70%"));
    EXPECT_EQ(Control<QProgressBar>("ms_1_progress_power")->value(), 70);
    EXPECT_FALSE(Control("ms_1_sleep_label")->isVisibleTo(window.GetHWND()));

    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_MOUSE_ONLINE, 0);
    EXPECT_FALSE(window.Page().Links()->MouseOnline());
    EXPECT_FALSE(Control("ms_1_wireless")->isVisibleTo(window.GetHWND()));
    EXPECT_TRUE(Control("ms_1_sleep_label")->isVisibleTo(window.GetHWND()));
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_MOUSE_ONLINE), -1);
}

TEST_F(PageDeviceTest, UnpluggingTheOnlyLinkHidesTheWindow)
{
    Build(true, false);
    ASSERT_FALSE(window.GetHWND()->isHidden());
    Command("unplug cable");
    EXPECT_FALSE(window.DevicePresent());
    EXPECT_TRUE(window.GetHWND()->isHidden());
    Command("plug cable");
    clock.RunDeferred();  // the arrival's pause
    ProcessPending();
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_TRUE(window.GetHWND()->isHidden());  // a mouse that comes back does not show the window
}

TEST_F(PageDeviceTest, ApplyRequestsWithoutAnyLinkWriteNothing)
{
    Build(false, false);
    const QString store = window.Page().Session().DataFolder() + QStringLiteral("ms_1/pro.data");
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    window.Page().Session().Locked([](ProfileSession::State& state) { state.Current().brightness = 1; });
    window.SendMessage(Msg::UM_APPLY, 0, 0);
    window.Page().ShutdownDevice();  // waits for the worker to finish what it was given
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(PageDeviceTest, ApplyRequestAfterTheOnlyLinkWentAwayWhileAwakeWritesNothing)
{
    Build(false, true);
    Command("battery 7");  // the mouse is awake behind the receiver
    ASSERT_FALSE(window.Page().Links()->Asleep());
    Command("unplug receiver");
    ASSERT_FALSE(window.DevicePresent());
    ASSERT_FALSE(window.Page().Links()->Asleep());  // a receiver removal leaves the asleep flag alone

    const QString store = window.Page().Session().DataFolder() + QStringLiteral("ms_1/pro.data");
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    window.Page().Session().Locked([](ProfileSession::State& state) { state.Current().brightness = 1; });
    window.SendMessage(Msg::UM_APPLY, 0, 0);
    window.Page().ShutdownDevice();  // waits for the worker to finish what it was given
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

}  // namespace

// Where the desktop has no tray, the window never hides: it goes to the task bar and comes back
// with the mouse.
TEST_F(PageDeviceTest, WithoutTrayTheWindowMinimisesAndReturnsWithTheMouse)
{
    CTrayIcon::SetAvailableForTesting(false);
    Build(true, false);
    Command("unplug cable");
    EXPECT_FALSE(window.DevicePresent());
    EXPECT_FALSE(window.GetHWND()->isHidden());
    EXPECT_TRUE(window.GetHWND()->isMinimized());
    Command("plug cable");
    clock.RunDeferred();
    ProcessPending();
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_FALSE(window.GetHWND()->isHidden());
    EXPECT_FALSE(window.GetHWND()->isMinimized());
    CTrayIcon::SetAvailableForTesting(true);
}

// Started hidden with the desktop and without a tray: the window waits in the task bar, and a
// mouse that arrives later does not push it onto the screen.
TEST_F(PageDeviceTest, HiddenStartWithoutTrayStaysInTheTaskBarWhenTheMouseComes)
{
    CTrayIcon::SetAvailableForTesting(false);
    Build(false, false, CMainWnd::kStyle & ~WindowStyle::kVisible);
    window.Withdraw();
    ProcessPending();
    EXPECT_FALSE(window.DevicePresent());
    EXPECT_TRUE(window.GetHWND()->isMinimized());
    Command("plug cable");
    clock.RunDeferred();
    ProcessPending();
    EXPECT_TRUE(window.DevicePresent());
    EXPECT_TRUE(window.GetHWND()->isMinimized());
    CTrayIcon::SetAvailableForTesting(true);
}
