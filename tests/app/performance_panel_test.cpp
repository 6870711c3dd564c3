// The performance and lighting panel and the button slots through their real controls: what each
// shows of the current profile, what each edit writes, and when the edit is sent.
#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>

#include "app/settings/performance_panel.h"
#include "app/shell/window_messages.h"
#include "page_window_fixture.h"
#include "ui/desktop_settings.h"

namespace {

class PerformancePanelTest : public PageWindowTest {
protected:
    void TearDown() override
    {
        SetDesktopLauncher({});
        PageWindowTest::TearDown();
    }
    template <typename Change>
    void ChangeAndRefresh(Change change)
    {
        Session().Locked([&](ProfileSession::State& s) { change(s.Current()); });
        window->Page().RefreshPage();
    }
    // Whether the page shows the control (the page itself is out of view without a mouse).
    bool Shown(const char* name) { return !Control(QLatin1String(name))->isHidden(); }
    std::tuple<bool, bool, bool> LightRows() { return {Shown("ms_1_hor_brightness"), Shown("ms_1_hor_breathspeed"), Shown("ms_1_hor_light_color")}; }
    int ApplyTimer() { return window->TimerIntervalMs(TimerId::TIMER_APPLY_DELAY); }
    QAbstractButton* Button(const QString& name) { return Control<QAbstractButton>(name); }
};

TEST_F(PerformancePanelTest, DpiLabelsShowFortyTimesTheStoredValueAndTheRangesFitTheMouse)
{
    const int stored[8] = {20, 30, 40, 60, 80, 120, 0, 0};
    ChangeAndRefresh([&](ProfileRecord& p) { std::copy(stored, stored + 8, p.dpi_value); });
    const char* shown[8] = {"800", "1200", "1600", "2400", "3200", "4800", "0", "0"};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(TextOf(QStringLiteral("ms_1_label_dpi_%1").arg(k + 1)), QLatin1String(shown[k])) << k;
    EXPECT_EQ(Control<QSlider>(QStringLiteral("ms_1_slider_dpi_6"))->value(), 120);
    auto* dpi = Control<QSlider>(QStringLiteral("ms_1_slider_dpi_1"));
    EXPECT_EQ(std::tuple(dpi->minimum() * 40, dpi->maximum() * 40), std::tuple(200, 4800));
    EXPECT_EQ(std::tuple(Control<QSlider>(QStringLiteral("ms_1_slider_brightness"))->maximum(),
                         Control<QSlider>(QStringLiteral("ms_1_slider_breathspeed"))->minimum(),
                         Control<QSlider>(QStringLiteral("ms_1_slider_sleep_timer"))->maximum(),
                         Control<QComboBox>(QStringLiteral("ms_1_combo_light"))->count(),
                         Control<QComboBox>(QStringLiteral("ms_1_combo_light_ble"))->count()),
              std::tuple(8, 1, 60, 12, 12));
}

// Which rows each lighting effect shows: brightness for 1, speed for 2 to 11, colour for 1 and 2.
TEST_F(PerformancePanelTest, EachEffectShowsItsRowsAndIsSentAfterTheShortPause)
{
    const std::tuple<bool, bool, bool> kRows[12] = {
        {false, false, false}, {true, false, true}, {false, true, true},  {false, true, false},
        {false, true, false},  {false, true, false}, {false, true, false}, {false, true, false},
        {false, true, false},  {false, true, false}, {false, true, false}, {false, true, false}};
    ChangeAndRefresh([](ProfileRecord& p) { p.light_effect = 0; });
    EXPECT_EQ(LightRows(), kRows[0]);
    auto* combo = Control<QComboBox>(QStringLiteral("ms_1_combo_light"));
    for (int effect : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}) {
        SCOPED_TRACE(effect);
        window->KillTimer(TimerId::TIMER_APPLY_DELAY);
        combo->setCurrentIndex(effect);
        EXPECT_EQ(std::tuple(Current().light_effect, ApplyTimer(), LightRows()),
                  std::tuple(effect, PerformancePanel::kComboPauseMs, kRows[effect]));
    }
}

TEST_F(PerformancePanelTest, BluetoothLayoutHidesPollingAndBatteryAndShowsItsOwnEffects)
{
    ChangeAndRefresh([](ProfileRecord& p) {
        p.light_effect = 1;
        p.light_effect_ble = 5;
    });
    window->Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::Ble);
    EXPECT_FALSE(Button(QStringLiteral("ms_1_check_prate"))->isChecked());
    for (const char* hidden : {"ms_1_check_prate", "ms_1_ver_prate", "ms_1_combo_light", "ms_1_check_power", "ms_1_ver_power"})
        EXPECT_FALSE(Shown(hidden)) << hidden;
    EXPECT_TRUE(Shown("ms_1_combo_light_ble"));
    EXPECT_EQ(LightRows(), std::tuple(false, true, false));  // effect 5 of the Bluetooth list
    window->Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::CableOrReceiver);
    EXPECT_EQ(std::tuple(Shown("ms_1_combo_light"), Shown("ms_1_combo_light_ble"), Shown("ms_1_check_prate")),
              std::tuple(true, false, true));
    EXPECT_EQ(LightRows(), std::tuple(true, false, true));  // effect 1 of the cable list
}

TEST_F(PerformancePanelTest, PollingSleepMovementAndStageWriteTheProfileAndFollowIt)
{
    Button(QStringLiteral("ms_1_btn_prate_4"))->click();
    EXPECT_EQ(std::tuple(Current().polling_rate, TextOf(QStringLiteral("ms_1_label_prate")), ApplyTimer()),
              std::tuple(3, QStringLiteral("1000 Hz"), -1));  // sent at once, not after a pause
    Control<QSlider>(QStringLiteral("ms_1_slider_sleep_timer"))->setValue(21);
    EXPECT_EQ(std::tuple(Current().sleep_timer, TextOf(QStringLiteral("ms_1_label_sleep_timer"))),
              std::tuple(21, QStringLiteral("Sleep after 10.5 min")));
    Button(QStringLiteral("ms_1_check_movemode"))->click();
    EXPECT_EQ(Current().move_mode, 1);
    EXPECT_TRUE(Button(QStringLiteral("ms_1_option_dpi_step_%1").arg(Current().current_stage + 1))->isChecked());
    Button(QStringLiteral("ms_1_option_dpi_step_6"))->click();
    EXPECT_EQ(Current().current_stage, 5);

    ChangeAndRefresh([](ProfileRecord& p) {
        p.polling_rate = 0;
        p.sleep_timer = 1;
        p.move_mode = 0;
        p.light_color = 0x000000FF;  // stored red
    });
    EXPECT_EQ(std::tuple(TextOf(QStringLiteral("ms_1_label_prate")), Button(QStringLiteral("ms_1_btn_prate_1"))->isChecked(),
                         TextOf(QStringLiteral("ms_1_label_sleep_timer")), Button(QStringLiteral("ms_1_check_movemode"))->isChecked(),
                         Control(QStringLiteral("ms_1_btn_light_color"))->property("color").toUInt()),
              std::tuple(QStringLiteral("125 Hz"), true, QStringLiteral("Sleep after 0.5 min"), false, 0xFFFF0000u));
    EXPECT_EQ(PerformancePanel::StoredColor(0xFF102030u), 0x00302010);
    EXPECT_EQ(PerformancePanel::ShownColor(PerformancePanel::StoredColor(0xFFABCDEFu)), 0xFFABCDEFu);
}

TEST_F(PerformancePanelTest, ColourButtonsOpenTheDialogAndKeepWhatIsConfirmed)
{
    ModalScript script;
    script
        .Then([](WindowImplBase& dialog) {
            ClickControl(dialog, QStringLiteral("mouse_dpi_color_11"));  // red
            ClickControl(dialog, QStringLiteral("confirm_btn"));
        })
        .Then([](WindowImplBase& dialog) {
            ClickControl(dialog, QStringLiteral("mouse_dpi_color_16"));
            ClickControl(dialog, QStringLiteral("cancel_btn"));
        });
    const std::int32_t lightBefore = Current().light_color;
    Click(QStringLiteral("ms_1_btn_dpi_color_4"));
    EXPECT_EQ(std::tuple(Current().stage_color[3], Control(QStringLiteral("ms_1_btn_dpi_color_4"))->property("color").toUInt()),
              std::tuple(0x000000FF, 0xFFFF0000u));
    Click(QStringLiteral("ms_1_btn_light_color"));
    EXPECT_EQ(Current().light_color, lightBefore);  // cancel changes nothing
    EXPECT_EQ(script.shown, (QStringList{"DpiColorWnd", "DpiColorWnd"}));
}

TEST_F(PerformancePanelTest, SectionBoxesFoldTheirContainers)
{
    const char* pairs[][2] = {{"ms_1_check_button", "ms_1_hor_button"}, {"ms_1_check_profile", "ms_1_ver_profile"},
                              {"ms_1_check_power", "ms_1_ver_power"},   {"ms_1_check_dpi", "ms_1_hor_dpi"},
                              {"ms_1_check_light", "ms_1_ver_light"},   {"ms_1_check_prate", "ms_1_ver_prate"},
                              {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute"},
                              {"ms_1_check_power_setting", "ms_1_ver_power_setting"}};
    for (const auto& [check, container] : pairs) {
        SCOPED_TRACE(check);
        auto* box = Button(QLatin1String(check));
        ASSERT_TRUE(box && box->isChecked());
        EXPECT_TRUE(Shown(container));
        box->click();
        EXPECT_FALSE(Shown(container));
        box->click();
        EXPECT_TRUE(Shown(container));
    }
}

TEST_F(PerformancePanelTest, MouseSettingsOpenTheDesktopsOwnToolOrSayThereIsNone)
{
    QStringList started;
    SetDesktopLauncher({[](const QString& program) {
                            return program == QLatin1String("gnome-control-center") ? QStringLiteral("/usr/bin/") + program : QString();
                        },
                        [&started](const QString& program, const QStringList& arguments) {
                            started << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
                            return true;
                        }});
    const QByteArray saved = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    Click(QStringLiteral("ms_1_btn_mouse_attribute"));
    EXPECT_EQ(started, QStringList{"/usr/bin/gnome-control-center mouse"});
    qputenv("XDG_CURRENT_DESKTOP", "SomethingElse");
    ModalScript script;
    script.Click("btn_ok");
    Click(QStringLiteral("ms_1_btn_mouse_attribute"));
    EXPECT_EQ(std::tuple(started.size(), script.shown), std::tuple(1, QStringList{"MsgWnd"}));
    qputenv("XDG_CURRENT_DESKTOP", saved);
}

TEST(MouseSettingsCandidates, EachDesktopHasItsTool)
{
    const std::pair<const char*, const char*> kTools[] = {
        {"KDE", "systemsettings kcm_mouse"},          {"GNOME", "gnome-control-center mouse"},
        {"XFCE", "xfce4-mouse-settings "},             {"X-Cinnamon", "cinnamon-settings mouse"},
        {"MATE", "mate-mouse-properties "},            {"LXQt", "lxqt-config-input "},
        {"", ""}};
    for (const auto& [desktop, tool] : kTools) {
        const auto candidates = MouseSettingsCandidates(QLatin1String(desktop));
        EXPECT_EQ(candidates.empty() ? QString() : candidates.front().program + QLatin1Char(' ') + candidates.front().arguments.join(' '),
                  QLatin1String(tool)) << desktop;
    }
}

TEST_F(PerformancePanelTest, ButtonSlotsShowTheirFunctionsFollowAProfileSwitchAndLightUpUnderThePointer)
{
    EXPECT_EQ(std::tuple(TextOf(QStringLiteral("ms_1_btn_key_1")), TextOf(QStringLiteral("ms_1_btn_key_11"))),
              std::tuple(QStringLiteral("Left click"), QStringLiteral("Disabled")));
    Session().Locked([](ProfileSession::State& state) {
        auto other = CreateProfile(QStringLiteral("Other"));
        other->buttons[2].function = 16;
        other->buttons[2].modifiers = 1 | 2;
        other->buttons[2].key_code = 0x04;
        other->buttons[3].function = 17;
        const char16_t name[] = u"Burst";
        std::copy(std::begin(name), std::end(name), other->buttons[3].macro_name);
        state.profiles.push_back(std::move(other));
    });
    List()->addItem(QStringLiteral("Other"));
    SelectItem(List(), 1, true);
    ProcessPending();
    ASSERT_EQ(CurrentIndex(), 1);
    EXPECT_EQ(std::tuple(TextOf(QStringLiteral("ms_1_btn_key_3")), TextOf(QStringLiteral("ms_1_btn_key_4"))),
              std::tuple(QStringLiteral("Ctrl+Shift+A"), QStringLiteral("Macro: Burst")));

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(Control(QStringLiteral("ms_1_btn_key_5")), &enter);
    EXPECT_EQ(std::tuple(Shown("ms_1_key_control_5"), Shown("ms_1_key_control_4")), std::tuple(true, false));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Control(QStringLiteral("ms_1_btn_key_5")), &leave);
    EXPECT_FALSE(Shown("ms_1_key_control_5"));
}

}  // namespace
