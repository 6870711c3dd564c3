// The main window as the program builds it, with no mouse attached: hiding, the tray and its
// menu, the DPI pop-up, message routing, message boxes and the input-hook library.
#include <gtest/gtest.h>

#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "app/shell/dpi_msg.h"
#include "app/shell/hook_library.h"
#include "app/shell/main_wnd.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/window_messages.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"
#include "ui/work_area.h"

namespace {

class RecordingObserver final : public PageRouteObserver {
public:
    void OnWiredLink(std::uint32_t code) override { wired.push_back(code); }
    void OnReceiverLink(std::uint32_t code) override { receiver.push_back(code); }
    void OnButtonMenuItem(const QString& name) override { menuItems << name; }
    std::vector<std::uint32_t> wired, receiver;
    QStringList menuItems;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        window.Page().SetRouteObserver(&observer);
        ProcessPending();
    }
    void TearDown() override { SetWorkAreaProvider({}); }
    void PostMenuClick(const QString& name)
    {
        window.PostMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{name, {}, {}, false}), 0);
        ProcessPending();
    }
    QWidget* Hwnd() { return window.GetHWND(); }

    CMainWnd window;
    RecordingObserver observer;
};

TEST_F(MainWindowTest, WithoutMouseTheWindowHidesAndKeepsRunning)
{
    EXPECT_EQ(std::tuple(window.IsWindow(), window.DevicePresent(), Hwnd()->isHidden(), Hwnd()->windowTitle()),
              std::tuple(true, false, true, QStringLiteral("Karvo Gaming Mouse")));
    EXPECT_EQ(SelectedTabItem(window.PaintManager().FindControl<QStackedWidget>(QStringLiteral("device_tab_switch"))), -1);
    QWidget* empty = window.PaintManager().FindControl(QStringLiteral("no_device_state"));  // says what to do instead
    EXPECT_EQ(std::tuple(empty->isVisibleTo(Hwnd()), ControlText(empty)), std::tuple(true, CResourceManager::Instance().GetText(QStringLiteral("no_device_text"))));
}

TEST_F(MainWindowTest, TrayLeftClickWarnsOnceEvenWhenClickedTwice)
{
    ModalScript script;
    script.Then([&](WindowImplBase& box) {
        // A second click while the warning is open finds it on screen and does nothing.
        window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kLeftButtonUp);
        window.PostMessage(Msg::UM_ACTIVATE_INSTANCE, 0, 0);
        ProcessPending();
        EXPECT_TRUE(window.NoDeviceWarningShown());
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kLeftButtonUp);
    ProcessPending();
    EXPECT_EQ(script.texts, QStringList{CResourceManager::Instance().GetText(QStringLiteral("no_device_text"))});
    EXPECT_EQ(std::tuple(window.NoDeviceWarningShown(), Hwnd()->isHidden()), std::tuple(false, true));
}

TEST_F(MainWindowTest, ExitButtonAndTheDesktopsCloseHideAndMinButtonMinimises)
{
    window.BringToFront();
    ASSERT_TRUE(ClickControl(window, QStringLiteral("min_btn")));
    EXPECT_TRUE(Hwnd()->isMinimized());
    window.BringToFront();
    ASSERT_TRUE(ClickControl(window, QStringLiteral("exit_btn")));
    EXPECT_EQ(std::tuple(Hwnd()->isHidden(), window.IsWindow()), std::tuple(true, true));  // hidden, not closed
    window.BringToFront();
    Hwnd()->close();
    ProcessPending();
    EXPECT_EQ(std::tuple(Hwnd()->isHidden(), window.IsWindow()), std::tuple(true, true));
}

// One pop-up follows the last DPI change at the work area's corner, restarts its timer, survives
// the desktop's close, ends on its timer, and goes with the window at once.
TEST_F(MainWindowTest, DpiPopupFollowsTheLastChange)
{
    SetWorkAreaProvider([] { return QRect(0, 0, 1920, 1040); });
    window.SendMessage(Msg::UM_SHOW_DPI, 0, 20);
    CDPIMsg* popup = window.DpiPopup();
    ASSERT_TRUE(popup);
    const QPointer<QObject> alive = &popup->PaintManager();  // lives exactly as long as the pop-up
    EXPECT_EQ(std::tuple(popup->Text(), popup->GetHWND()->geometry(), window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP)),
              std::tuple(QStringLiteral("DPI: 800"), QRect(1710, 980, 200, 50), 2000));
    popup->GetHWND()->close();  // Alt+F4 or the task bar
    ProcessPending();
    window.SendMessage(Msg::UM_SHOW_DPI, 0, 40);
    ASSERT_TRUE(alive);
    EXPECT_EQ(window.DpiPopup(), popup);
    EXPECT_EQ(std::tuple(ControlText(popup->PaintManager().FindControl(QStringLiteral("dpi_label"))), popup->GetHWND()->isVisible(),
                         popup->GetHWND()->geometry(), window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP)),
              std::tuple(QStringLiteral("DPI: 1600"), true, QRect(1710, 980, 200, 50), 2000));
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_DPI_POPUP, 0);  // the expiry, as the desktop delivers it
    EXPECT_EQ(std::tuple(window.DpiPopup(), window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP), bool(alive)),
              std::tuple(nullptr, -1, false));
    window.SendMessage(Msg::UM_SHOW_DPI, 0, 40);
    const QPointer<QObject> next = &window.DpiPopup()->PaintManager();
    // "exit": the event loop that would run deferred work has ended by then.
    window.SendMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{QStringLiteral("exit"), {}, {}, false}), 0);
    EXPECT_EQ(std::tuple(window.IsWindow(), window.DpiPopup(), bool(next)), std::tuple(false, nullptr, false));
    // A message kind above 2 carries no DPI value and shows none; the corner of a smaller work area.
    EXPECT_EQ(std::tuple(CMainWnd::DpiPopupText(2, 40), CMainWnd::DpiPopupText(3, 40), CDPIMsg::PlacementFor(QRect(0, 0, 1280, 720))),
              std::tuple(QStringLiteral("DPI: 1600"), QStringLiteral("DPI:"), QRect(1070, 660, 200, 50)));
}

TEST_F(MainWindowTest, MenuItemsRouteByNameAndExitLeavesLaterMessageBoxesWorking)
{
    ModalScript script;
    script.Click("btn_ok");
    PostMenuClick(QStringLiteral("CONFIGURATION"));  // any case; no mouse: the warning
    EXPECT_EQ(script.shown, QStringList{QStringLiteral("MsgWnd")});
    for (const char* name : {"ms_1_copy", "ms", "", "ms_1", "MS_1_copy", "other", "m_1"})
        PostMenuClick(QString::fromLatin1(name));
    // The prefix test is exact and over the shorter length.
    EXPECT_EQ(observer.menuItems, (QStringList{"ms_1_copy", "ms", "", "ms_1"}));
    window.PostMessage(Msg::UM_MENUCLICK, 0, 0);  // no record: ignored
    ProcessPending();
    ASSERT_TRUE(window.IsWindow());
    PostMenuClick(QStringLiteral("Exit"));
    ASSERT_FALSE(window.IsWindow());
    ScopedModalDriver ok([](WindowImplBase& box) { ClickControl(box, QStringLiteral("btn_ok")); });
    EXPECT_EQ(ShowMessageBox(nullptr, QStringLiteral("warning_title_text"), QStringLiteral("restore_text")), 1);
}

// The title bar's menu button and the tray's right click open the same menu skin.
TEST_F(MainWindowTest, MenuButtonAndTrayRightClickOpenTheMenu)
{
    ModalScript noBoxExpected;  // a message box instead of the menu would be closed, not waited on
    int rulesOpened = 0;
    window.Menu().SetRulesOpener([&] { ++rulesOpened; });
    for (bool fromTray : {false, true}) {
        SCOPED_TRACE(fromTray);
        if (fromTray)
            window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kRightButtonUp);
        else
            ASSERT_TRUE(ClickControl(window, QStringLiteral("main_menu_btn")));
        ProcessPending();
        ASSERT_TRUE(window.TrayMenu() && window.TrayMenu()->Menu());
        QStringList items;
        for (QAction* action : window.TrayMenu()->Menu()->actions())
            if (!action->isSeparator())
                items << action->objectName() + QLatin1Char('=') + action->text();
        EXPECT_EQ(items, (QStringList{"configuration=Configuration", "rules=Application rules…", "autostart=Start with the desktop",
                                      "about=About Karvo Gaming Mouse", "exit=Exit"}));
    }
    ASSERT_TRUE(window.TrayMenu()->Choose(QStringLiteral("rules")));
    ProcessPending();
    EXPECT_EQ(rulesOpened, 1);
    window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kRightButtonUp);
    ProcessPending();
    ASSERT_TRUE(window.TrayMenu()->Choose(QStringLiteral("exit")));
    ProcessPending();
    EXPECT_EQ(std::tuple(window.IsWindow(), noBoxExpected.shown), std::tuple(false, QStringList{}));
}

TEST_F(MainWindowTest, LinkMessagesReachThePageAsLinkCodes)
{
    const std::tuple<UINT, WPARAM, LPARAM> kSent[] = {{Msg::UM_RECEIVER_LINK, 5, 0}, {Msg::UM_RECEIVER_LINK, 1, 0},
        {Msg::UM_RECEIVER_EVENT, 0x4010, 0x10A01}, {Msg::UM_WIRED_LINK, 0, 0}, {Msg::UM_WIRED_EVENT, 0x1000, 3}};
    for (const auto& [message, w, l] : kSent)
        window.SendMessage(message, w, l);
    EXPECT_EQ(observer.receiver, (std::vector<std::uint32_t>{0x7F000000, 0x7F000001, 0x40100A01}));
    EXPECT_EQ(observer.wired, (std::vector<std::uint32_t>{0x7F000002, 0x10000003}));
}

TEST(HookLibrary, ResolvesTheSevenEntriesAndRemovesBothHooksWhenFreed)
{
    HookLibrary missing;
    EXPECT_FALSE(missing.Load(QStringLiteral("/nonexistent/")));
    const KarvoPostTarget target{nullptr, nullptr};  // without the library the caller falls back to its own window
    EXPECT_TRUE(missing.Table().IsEmpty() && !missing.Table().InstallHook(&target));

    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls"));
    qputenv("KARVO_FAKE_HOOK_LOG", log.toUtf8());
    HookLibrary hooks;
    ASSERT_TRUE(hooks.Load(QStringLiteral(FAKE_HOOK_DIR "/")));
    const HookTable& table = hooks.Table();
    EXPECT_TRUE(table.installmousehook && table.removemousehook && table.enablemousehook && table.installhook
                && table.removehook && table.enablehook && table.mousewheelenable);
    EXPECT_TRUE(table.InstallHook(&target));
    table.EnableHook(1), table.EnableMouseHook(0), table.MouseWheelEnable(0);
    hooks.Free();
    EXPECT_TRUE(hooks.Table().IsEmpty());
    qunsetenv("KARVO_FAKE_HOOK_LOG");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("installhook(target);enablehook(1);enablemousehook(0);mousewheelenable(0);"
                                         "removemousehook;removehook;"));
}

}  // namespace
