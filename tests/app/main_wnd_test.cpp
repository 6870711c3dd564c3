#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>

#include "app/shell/dpi_msg.h"
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

    std::vector<std::uint32_t> wired;
    std::vector<std::uint32_t> receiver;
    QStringList menuItems;
};

// A main window built as the program builds it, with no mouse attached.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        window.Page().SetRouteObserver(&observer);
        ProcessPending();
    }
    void TearDown() override { SetWorkAreaProvider({}); }

    // Counts the message boxes shown and answers each with a click on the given button.
    ScopedModalDriver CountingDriver(int& boxes, QStringList& texts, const QString& button = QStringLiteral("btn_ok"))
    {
        return ScopedModalDriver([&boxes, &texts, button](WindowImplBase& box) {
            ++boxes;
            texts << ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
            ClickControl(box, button);
        });
    }

    void PostMenuClick(const QString& name)
    {
        window.PostMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{name, {}, {}, false}), 0);
        ProcessPending();
    }

    CMainWnd window;
    RecordingObserver observer;
};

TEST_F(MainWindowTest, WithoutMouseTheWindowHidesAndKeepsRunning)
{
    EXPECT_TRUE(window.IsWindow());
    EXPECT_FALSE(window.DevicePresent());
    EXPECT_TRUE(window.GetHWND()->isHidden());
    auto* tabs = window.PaintManager().FindControl<QStackedWidget>(QStringLiteral("device_tab_switch"));
    ASSERT_TRUE(tabs);
    EXPECT_EQ(SelectedTabItem(tabs), -1);
    EXPECT_EQ(window.GetHWND()->windowTitle(), QStringLiteral("Karvo Gaming Mouse"));
}

TEST_F(MainWindowTest, TrayLeftClickWarnsOnceEvenWhenClickedTwice)
{
    int boxes = 0;
    QStringList texts;
    ScopedModalDriver driver([&](WindowImplBase& box) {
        ++boxes;
        texts << ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
        // A second click while the warning is open finds it on screen and does nothing.
        window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kLeftButtonUp);
        window.PostMessage(Msg::UM_ACTIVATE_INSTANCE, 0, 0);
        ProcessPending();
        EXPECT_TRUE(window.NoDeviceWarningShown());
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kLeftButtonUp);
    ProcessPending();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(texts, QStringList{CResourceManager::Instance().GetText(QStringLiteral("no_device_text"))});
    EXPECT_FALSE(window.NoDeviceWarningShown());
    EXPECT_TRUE(window.GetHWND()->isHidden());
}

TEST_F(MainWindowTest, ExitButtonHidesAndMinButtonMinimises)
{
    window.BringToFront();
    ASSERT_TRUE(window.GetHWND()->isVisible());
    ASSERT_TRUE(ClickControl(window, QStringLiteral("min_btn")));
    EXPECT_TRUE(window.GetHWND()->isMinimized());
    window.BringToFront();
    EXPECT_FALSE(window.GetHWND()->isMinimized());
    ASSERT_TRUE(ClickControl(window, QStringLiteral("exit_btn")));
    EXPECT_TRUE(window.GetHWND()->isHidden());
    EXPECT_TRUE(window.IsWindow());  // hidden, not closed
    window.GetHWND()->close();       // the desktop's close request only hides as well
    ProcessPending();
    EXPECT_TRUE(window.IsWindow());
}

TEST_F(MainWindowTest, DpiPopupFollowsTheLastChangeAndClosesOnItsTimer)
{
    SetWorkAreaProvider([] { return QRect(0, 0, 1920, 1040); });
    window.SendMessage(Msg::UM_SHOW_DPI, 0, 20);
    CDPIMsg* popup = window.DpiPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->Text(), QStringLiteral("DPI :800"));
    EXPECT_EQ(popup->GetHWND()->geometry(), QRect(1710, 980, 200, 50));
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP), 2000);

    window.SendMessage(Msg::UM_SHOW_DPI, 0, 40);
    EXPECT_EQ(window.DpiPopup(), popup);  // the same pop-up, not a new one
    EXPECT_EQ(ControlText(popup->PaintManager().FindControl(QStringLiteral("dpi_label"))), QStringLiteral("DPI :1600"));
    EXPECT_EQ(popup->GetHWND()->geometry(), QRect(1710, 980, 200, 50));
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP), 2000);  // restarted by the last change

    // The timer's expiry, as the desktop delivers it.
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_DPI_POPUP, 0);
    EXPECT_EQ(window.DpiPopup(), nullptr);
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP), -1);
}

TEST_F(MainWindowTest, DpiPopupIgnoresTheDesktopsCloseAndGoesWithTheWindow)
{
    window.SendMessage(Msg::UM_SHOW_DPI, 0, 20);
    CDPIMsg* popup = window.DpiPopup();
    ASSERT_TRUE(popup);
    const QPointer<QObject> popupAlive = &popup->PaintManager();  // lives exactly as long as the pop-up

    popup->GetHWND()->close();  // Alt+F4 or the task bar
    ProcessPending();
    ASSERT_TRUE(popupAlive);
    EXPECT_EQ(window.DpiPopup(), popup);
    EXPECT_TRUE(popup->IsWindow());
    EXPECT_TRUE(popup->GetHWND()->isVisible());

    window.SendMessage(Msg::UM_SHOW_DPI, 0, 40);  // the next DPI change still reaches it
    ASSERT_EQ(window.DpiPopup(), popup);
    EXPECT_EQ(popup->Text(), QStringLiteral("DPI :1600"));
    EXPECT_EQ(ControlText(popup->PaintManager().FindControl(QStringLiteral("dpi_label"))), QStringLiteral("DPI :1600"));
    EXPECT_TRUE(popup->GetHWND()->isVisible());
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_DPI_POPUP), 2000);

    // "exit": the pop-up is gone with the window at once; the event loop that would run deferred
    // work has ended by then.
    window.SendMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{QStringLiteral("exit"), {}, {}, false}), 0);
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(window.DpiPopup(), nullptr);
    EXPECT_FALSE(popupAlive);
}

TEST_F(MainWindowTest, ExitLeavesLaterModalWindowsWorking)
{
    PostMenuClick(QStringLiteral("exit"));
    ASSERT_FALSE(window.IsWindow());
    ScopedModalDriver driver([](WindowImplBase& box) { ClickControl(box, QStringLiteral("btn_ok")); });
    EXPECT_EQ(ShowMessageBox(nullptr, QStringLiteral("warning_title_text"), QStringLiteral("restore_text")), 1);
}

TEST_F(MainWindowTest, DpiTextRule)
{
    EXPECT_EQ(CMainWnd::DpiPopupText(0, 20), QStringLiteral("DPI :800"));
    EXPECT_EQ(CMainWnd::DpiPopupText(2, 40), QStringLiteral("DPI :1600"));
    EXPECT_EQ(CMainWnd::DpiPopupText(3, 40), QStringLiteral("DPI :"));
}

TEST_F(MainWindowTest, MenuRoutingByName)
{
    int boxes = 0;
    QStringList texts;
    ScopedModalDriver driver = CountingDriver(boxes, texts);
    PostMenuClick(QStringLiteral("CONFIGURATION"));  // any case; no mouse: the warning
    EXPECT_EQ(boxes, 1);

    for (const char* name : {"ms_1_copy", "ms", "", "ms_1", "MS_1_copy", "other", "m_1"})
        PostMenuClick(QString::fromLatin1(name));
    // The prefix test is exact and over the shorter length.
    EXPECT_EQ(observer.menuItems, (QStringList{"ms_1_copy", "ms", "", "ms_1"}));

    window.PostMessage(Msg::UM_MENUCLICK, 0, 0);  // no record: ignored
    ProcessPending();
    EXPECT_TRUE(window.IsWindow());
    PostMenuClick(QStringLiteral("Exit"));
    EXPECT_FALSE(window.IsWindow());
}

TEST_F(MainWindowTest, TrayRightClickOpensTheMenuSkin)
{
    window.PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kRightButtonUp);
    ProcessPending();
    CMenuWnd* menu = window.TrayMenu();
    ASSERT_TRUE(menu && menu->Menu());
    QStringList items;
    for (QAction* action : menu->Menu()->actions()) {
        if (!action->isSeparator())
            items << action->objectName() + QLatin1Char('=') + action->text();
    }
    EXPECT_EQ(items, (QStringList{"configuration=Configuration", "autostart=Start with the desktop",
                                  "about=About Karvo Gaming Mouse", "exit=Exit"}));
    ASSERT_TRUE(menu->Choose(QStringLiteral("exit")));
    ProcessPending();
    EXPECT_FALSE(window.IsWindow());
}

TEST_F(MainWindowTest, LinkMessagesReachThePageAsLinkCodes)
{
    window.SendMessage(Msg::UM_RECEIVER_LINK, 5, 0);
    window.SendMessage(Msg::UM_RECEIVER_LINK, 1, 0);
    window.SendMessage(Msg::UM_RECEIVER_EVENT, 0x4010, 0x10A01);
    window.SendMessage(Msg::UM_WIRED_LINK, 0, 0);
    window.SendMessage(Msg::UM_WIRED_EVENT, 0x1000, 3);
    EXPECT_EQ(observer.receiver, (std::vector<std::uint32_t>{0x7F000000, 0x7F000001, 0x40100A01}));
    EXPECT_EQ(observer.wired, (std::vector<std::uint32_t>{0x7F000002, 0x10000003}));
}

TEST_F(MainWindowTest, NotificationsOfThePageAreaGoToThePage)
{
    QWidget* list = window.PaintManager().FindControl(QStringLiteral("ms_1_list_profile"));
    ASSERT_TRUE(list);
    TNotifyUI routed;
    struct Probe final : CNotifyPump {
        explicit Probe(TNotifyUI& out) { BindNotify(NotifyType::kItemSelect, [&out](TNotifyUI& m) { out = m; }); }
    } probe(routed);
    window.RemoveVirtualWnd(CMS_1_Page::kVirtualWndName);
    window.AddVirtualWnd(CMS_1_Page::kVirtualWndName, &probe);
    window.PaintManager().SendNotify(list, NotifyType::kItemSelect, 0);
    EXPECT_EQ(routed.pSender, list);
    EXPECT_EQ(routed.sVirtualWnd, CMS_1_Page::kVirtualWndName);
    window.RemoveVirtualWnd(CMS_1_Page::kVirtualWndName);
    window.AddVirtualWnd(CMS_1_Page::kVirtualWndName, &window.Page());
}

TEST_F(MainWindowTest, HookTableIsResolvedFromTheLibraryBesideTheProgram)
{
    const HookTable& hooks = window.Hooks();
    EXPECT_TRUE(hooks.installmousehook && hooks.removemousehook && hooks.enablemousehook && hooks.installhook
                && hooks.removehook && hooks.enablehook && hooks.mousewheelenable);
    hooks.RemoveHook();  // nothing installed: harmless
    hooks.RemoveMouseHook();
}

TEST(MessageBox, OkGivesOneAndCancelZero)
{
    for (const auto& [button, expected] : {std::pair{"btn_ok", 1}, std::pair{"btn_cancel", 0}}) {
        QString title;
        ScopedModalDriver driver([&, button = button](WindowImplBase& box) {
            title = ControlText(box.PaintManager().FindControl(QStringLiteral("warning_title")));
            ClickControl(box, QLatin1String(button));
        });
        EXPECT_EQ(ShowMessageBox(nullptr, QStringLiteral("warning_title_text"), QStringLiteral("restore_text")), expected);
        EXPECT_EQ(title, QStringLiteral("Warning"));
    }
}

TEST(DpiPopup, PlacementFromTheWorkArea)
{
    EXPECT_EQ(CDPIMsg::PlacementFor(QRect(0, 0, 1920, 1040)), QRect(1710, 980, 200, 50));
    EXPECT_EQ(CDPIMsg::PlacementFor(QRect(0, 0, 1280, 720)), QRect(1070, 660, 200, 50));
}

}  // namespace
