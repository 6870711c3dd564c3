// The settings page over the emulated mouse: what it shows of the links and the battery,
// the mouse's DPI events, the stores, and the settings that reach the mouse.
#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>

#include "app/shell/dpi_msg.h"
#include "app/shell/window_messages.h"
#include "app/sim_window_fixture.h"
#include "core/profile/button_function_table.h"
#include "core/storage/store_pair.h"
#include "page_window_fixture.h"
#include "ui/menu_wnd.h"
#include "ui/tray_icon.h"

namespace {

using PageDeviceTest = SimMouseTest;

TEST_F(PageDeviceTest, ReceiverStatusShowsBatteryAndTheWatchdogTakesTheMouseOffline)
{
    Build(false, true);
    EXPECT_EQ(std::tuple(window.DevicePresent(), window.TimerIntervalMs(TimerId::TIMER_MOUSE_ONLINE)), std::tuple(true, 6000));
    Command("battery 7");
    EXPECT_TRUE(window.Page().Links()->MouseOnline());
    EXPECT_EQ(std::tuple(ControlText(Control("ms_1_label_power")), Control<QProgressBar>("ms_1_progress_power")->value(),
                         Shown("ms_1_sleep_label")),
              std::tuple(QStringLiteral("70%"), 70, false));
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_MOUSE_ONLINE, 0);
    EXPECT_EQ(std::tuple(window.Page().Links()->MouseOnline(), Shown("ms_1_wireless"), Shown("ms_1_sleep_label"),
                         window.TimerIntervalMs(TimerId::TIMER_MOUSE_ONLINE)),
              std::tuple(false, false, true, -1));
}

// The mouse's DPI button reports the stage it moved to (1..8): the page selects it without a send
// of its own, the pop-up shows the stage's DPI and the profile keeps the stage.
TEST_F(PageDeviceTest, DpiStageEventSelectsTheStageAndShowsThePopup)
{
    Build(true, false);
    window.Page().Session().Locked([](ProfileSession::State& s) { s.Current().dpi_value[7] = 100; });
    for (const auto& [stage, popup] : {std::pair{3, "DPI: 1600"}, std::pair{8, "DPI: 4000"}, std::pair{1, "DPI: 800"}}) {
        SCOPED_TRACE(stage);
        auto* option = Control<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_%1").arg(stage));
        int notifications = 0;
        const auto connection = QObject::connect(option, &QAbstractButton::toggled, [&](bool on) { notifications += on; });
        window.Page().Links()->HandleDeviceEvent(0x1000, std::uint16_t(stage));
        ProcessPending();
        QObject::disconnect(connection);
        EXPECT_EQ(std::tuple(option->isChecked(), notifications), std::tuple(true, 0));
        ASSERT_TRUE(window.DpiPopup());
        EXPECT_EQ(window.DpiPopup()->Text(), QLatin1String(popup));
        EXPECT_EQ(window.Page().Session().Locked([](ProfileSession::State& s) { return s.Current().current_stage; }), stage - 1);
    }
}

// How the window leaves the screen when its only link goes, and that a mouse coming back never
// pushes it onto the screen: hidden where a tray can bring it back, else in the task bar.
struct Withdrawal {
    const char* name;
    bool tray, cable, startsVisible;
    bool hiddenWithout, minimisedWithout, hiddenAfter, minimisedAfter;
};
const Withdrawal kWithdrawals[] = {{"Tray", true, true, true, true, false, true, false},
                                   {"NoTray", false, true, true, false, true, false, false},
                                   {"NoTrayHiddenStart", false, false, false, false, true, false, true}};
class WindowWithdrawal : public SimMouseTest, public testing::WithParamInterface<Withdrawal> {};

TEST_P(WindowWithdrawal, FollowsTheMouse)
{
    const Withdrawal& row = GetParam();
    CTrayIcon::SetAvailableForTesting(row.tray);
    Build(row.cable, false, row.startsVisible ? CMainWnd::kStyle : CMainWnd::kStyle & ~WindowStyle::kVisible);
    if (!row.startsVisible)
        window.Withdraw();
    Command("unplug cable");
    EXPECT_EQ(std::tuple(window.DevicePresent(), Hidden(), window.GetHWND()->isMinimized()),
              std::tuple(false, row.hiddenWithout, row.minimisedWithout));
    Plug("plug cable");
    EXPECT_EQ(std::tuple(window.DevicePresent(), Hidden(), window.GetHWND()->isMinimized()),
              std::tuple(true, row.hiddenAfter, row.minimisedAfter));
    CTrayIcon::SetAvailableForTesting(true);
}
INSTANTIATE_TEST_SUITE_P(All, WindowWithdrawal, testing::ValuesIn(kWithdrawals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageDeviceTest, AStoreThatCannotBeWrittenIsToldOnce)
{
    Build(true, false);
    ProfileSession& session = window.Page().Session();
    session.Writer().SetWriteFunction([](const QString&, const QByteArray&, QString* error) {
        *error = QStringLiteral("the disk is full");
        return false;
    });
    ModalScript script;
    script.Click("btn_ok").Click("btn_ok");
    for (int stage : {1, 2}) {  // two failed saves before the window gets to them: one message
        session.Locked([stage](ProfileSession::State& s) { s.Current().current_stage = stage; });
        session.RequestProfileSave();
        session.FlushSaves();
    }
    ProcessPending();
    EXPECT_EQ(script.texts, QStringList{LangText("save_failed_text")});
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
}

// What pro.data holds of its current profile, once the saves asked for are written.
std::pair<int, ProfileRecord> StoredCurrent(CMainWnd& window)
{
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(profiles, *header, window.Page().Session().DataFolder());
    return {int(header->current_profile_index), *profiles.at(header->current_profile_index)};
}

using PageToMouseTest = SimWindowTest;

// Slider moves wait for one pause and then send once; a stage option and a polling rate go at once.
TEST_F(PageToMouseTest, DpiSliderStageAndPollingReachTheMouseAndTheStore)
{
    int reports = Reports();
    for (int value : {44, 47, 50})
        Control<QSlider>("ms_1_slider_dpi_3")->setValue(value);
    // Each move restarts the one pause and shows at once; nothing is sent before it is over.
    EXPECT_EQ(std::tuple(window.TimerIntervalMs(TimerId::TIMER_APPLY_DELAY), ControlText(Control("ms_1_edit_dpi_3")), Reports()),
              std::tuple(500, QStringLiteral("2000"), reports));
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_APPLY_DELAY, 0);
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_APPLY_DELAY), -1);  // fired once, then gone
    ASSERT_TRUE(WaitForReports(++reports));
    Control<QAbstractButton>("ms_1_option_dpi_step_5")->click();
    ASSERT_TRUE(WaitForReports(++reports));
    Control<QAbstractButton>("ms_1_btn_prate_2")->click();
    ASSERT_TRUE(WaitForReports(++reports));
    Control<QAbstractButton>("ms_1_check_stage_7")->click();  // stage 7 joins the cycle with stage 6's 4800 DPI
    ASSERT_TRUE(WaitForReports(++reports));
    EXPECT_EQ(State()["stages"].toArray()[6].toObject()["dpi"].toInt(), 4800);
    for (int stage : {6, 7, 1}) {  // the mouse's DPI button passes stage 8, which is off
        EXPECT_EQ(Command("press dpi"), QStringLiteral("ok"));
        EXPECT_EQ(State()["currentStage"].toInt(), stage);
    }
    Control<QAbstractButton>("ms_1_option_dpi_step_5")->click();
    ASSERT_TRUE(WaitForReports(++reports));
    FinishStoreWrites();
    const QJsonObject state = State();  // the mouse counts stages from 1
    EXPECT_EQ(std::tuple(Reports(), state["stages"].toArray()[2].toObject()["dpi"].toInt(), state["currentStage"].toInt(),
                         state["pollingHz"].toInt()),
              std::tuple(reports, 2000, 5, 250));
    EXPECT_EQ(StoredCurrent(window).second.dpi_value[2], 50);
}

TEST_F(PageToMouseTest, SwitchingTheProfileSendsItWhole)
{
    window.Page().Session().Locked([](ProfileSession::State& s) {  // differs in every section
        auto profile = CreateProfile(QStringLiteral("Other"));
        profile->dpi_value[0] = 25;
        profile->polling_rate = 3;
        profile->light_effect = 2;
        profile->buttons[1].function = 3;
        s.profiles.push_back(std::move(profile));
    });
    auto* list = Control<QListWidget>("ms_1_list_profile");
    list->addItem(QStringLiteral("Other"));
    const int before = Reports();
    list->setCurrentRow(1);
    ASSERT_TRUE(WaitForReports(before + 4));
    const QJsonObject state = State();
    EXPECT_EQ(std::tuple(state["stages"].toArray()[0].toObject()["dpi"].toInt(), state["pollingHz"].toInt(),
                         state["lighting"].toObject()["effect"].toInt(), state["buttons"].toArray()[1].toArray()[0].toInt()),
              std::tuple(1000, 1000, 2, int(FunctionDeviceBytes(3, ButtonRecord{}, 0)[0])));
}

// Nothing chosen while the mouse sleeps or no link is up is lost: it is saved at once, and what the
// mouse lacks is sent when it wakes or a link comes back.
TEST_F(PageToMouseTest, ChoicesMadeWhileTheMouseIsAwayAreSavedAndReachItWhenItIsBack)
{
    const int reports = Reports();
    Command("sleep");
    Control<QSlider>("ms_1_slider_dpi_4")->setValue(65);
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_APPLY_DELAY, 0);
    ASSERT_TRUE(ProcessUntil([&] { return StoredCurrent(window).second.dpi_value[3] == 65; }));
    EXPECT_EQ(std::tuple(Reports(), State()["stages"].toArray()[3].toObject()["dpi"].toInt()), std::tuple(reports, 2400));
    Command("wake");
    ASSERT_TRUE(WaitForReports(reports + 1));  // the DPI report alone
    EXPECT_EQ(State()["stages"].toArray()[3].toObject()["dpi"].toInt(), 2600);

    window.Page().Session().Locked([](ProfileSession::State& s) { s.profiles.push_back(CreateProfile(QStringLiteral("Other"))), s.profiles.back()->buttons[1].function = 3; });
    Control<QListWidget>("ms_1_list_profile")->addItem(QStringLiteral("Other"));
    Command("unplug cable");
    Control<QListWidget>("ms_1_list_profile")->setCurrentRow(1);
    ASSERT_TRUE(ProcessUntil([&] { return StoredCurrent(window).first == 1; }));
    EXPECT_EQ(Reports(), reports + 1);
    Plug("plug cable");
    ASSERT_TRUE(WaitForReports(reports + 5));  // the whole profile
    EXPECT_EQ(State()["buttons"].toArray()[1].toArray()[0].toInt(), int(FunctionDeviceBytes(3, ButtonRecord{}, 0)[0]));
}

// An effect the mouse reports shows at once, and choosing the effect shown before sends it.
TEST_F(PageToMouseTest, AnEffectReportedByTheMouseShowsAndTheOneBeforeCanBeChosenAgain)
{
    auto* combo = Control<QComboBox>("ms_1_combo_light");
    const int before = combo->currentIndex();
    Command("light 5");
    EXPECT_EQ(std::tuple(combo->currentIndex(), Shown("ms_1_hor_breathspeed"), Shown("ms_1_hor_light_color")), std::tuple(5, true, false));
    const int reports = Reports();
    combo->setCurrentIndex(before);
    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_APPLY_DELAY, 0);
    ASSERT_TRUE(WaitForReports(reports + 1));
    EXPECT_EQ(State()["lighting"].toObject()["effect"].toInt(), before);
}

// Opens a slot's menu with a click and chooses an item; the choice travels as the menu's click
// message through the main window to the page.
void ChooseOnSlot(CMainWnd& window, int n, const QString& item)
{
    window.PaintManager().FindControl<QAbstractButton>(QStringLiteral("ms_1_btn_key_%1").arg(n))->click();
    CMenuWnd* menu = window.Page().Buttons().Menu();
    ASSERT_TRUE(menu && menu->Menu()->isVisible());
    ASSERT_TRUE(menu->Choose(item)) << item.toStdString();
    ProcessPending();
}

TEST_F(PageToMouseTest, EveryFunctionOfTheMenuShowsOnItsSlotAndReachesTheMouseAndTheLastLeftClickStays)
{
    int reports = Reports();
    ModalScript refusal;
    refusal.Click("btn_ok");
    ChooseOnSlot(window, 1, QStringLiteral("ms_1_menu"));
    EXPECT_EQ(std::tuple(refusal.shown, refusal.texts), std::tuple(QStringList{"MsgWnd"}, QStringList{LangText("one_click_text")}));
    EXPECT_EQ(ControlText(Control("ms_1_btn_key_1")), LangText("left_click_text"));
    ChooseOnSlot(window, 12, QStringLiteral("ms_1_click"));  // so that every other button may take anything
    ASSERT_TRUE(WaitForReports(++reports));
    EXPECT_EQ(reports, Reports());  // the refusal sent nothing
    const ButtonRecord blank{};
    int slot = 0;
    for (int code = 0; code < 256; ++code) {
        const QString item = FunctionMenuItem(std::uint8_t(code));
        if (item.isEmpty() || code == ButtonFunction::kKeyCombination || code == ButtonFunction::kMacro)
            continue;
        SCOPED_TRACE(item.toStdString());
        slot = slot % 11 + 1;
        ChooseOnSlot(window, slot, item);
        ASSERT_TRUE(WaitForReports(++reports));
        const DeviceBytes bytes = FunctionDeviceBytes(std::uint8_t(code), blank, 0);
        EXPECT_EQ(State()["buttons"].toArray()[slot - 1].toArray(), (QJsonArray{bytes[0], bytes[1], bytes[2]})) << slot;
        EXPECT_EQ(ControlText(Control(QStringLiteral("ms_1_btn_key_%1").arg(slot))), CResourceManager::Instance().GetText(FunctionDisplayKey(std::uint8_t(code))));
    }
    ModalScript shortcut;  // Ctrl+Shift+A
    shortcut.Then([](WindowImplBase& dialog) {
        ClickControl(dialog, QStringLiteral("check_flag_1"));
        ClickControl(dialog, QStringLiteral("check_flag_2"));
        TypeKey(dialog.PaintManager().FindControl(QStringLiteral("edit_key")), Qt::Key_A, QStringLiteral("a"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    ChooseOnSlot(window, 6, QStringLiteral("ms_1_shortcut"));
    ASSERT_TRUE(WaitForReports(++reports));
    EXPECT_EQ(State()["buttons"].toArray()[5].toArray(), (QJsonArray{17, 3, 4}));
}

}  // namespace
