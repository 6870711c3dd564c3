// The performance and lighting panel through its real controls: what each shows of the current
// profile, what each edit writes, and when the edit is sent (at once or after the pause).
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
    QString Text(const QString& name) { return ControlText(Control(name)); }
    // Whether the page shows the control (the page itself is out of view without a mouse).
    bool Shown(const char* name) { return !Control(QLatin1String(name))->isHidden(); }
    int ApplyTimer() { return window->TimerIntervalMs(TimerId::TIMER_APPLY_DELAY); }
};

TEST_F(PerformancePanelTest, DpiLabelsShowFortyTimesTheStoredValue)
{
    const int stored[8] = {20, 30, 40, 60, 80, 120, 0, 0};
    ChangeAndRefresh([&](ProfileRecord& p) { std::copy(stored, stored + 8, p.dpi_value); });
    const char* shown[8] = {"800", "1200", "1600", "2400", "3200", "4800", "0", "0"};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(Text(QStringLiteral("ms_1_label_dpi_%1").arg(k + 1)), QLatin1String(shown[k])) << k;
    EXPECT_EQ(Control<QSlider>(QStringLiteral("ms_1_slider_dpi_6"))->value(), 120);
}

TEST_F(PerformancePanelTest, TheRangesOfferNothingTheMouseMayNotTake)
{
    auto* dpi = Control<QSlider>(QStringLiteral("ms_1_slider_dpi_1"));
    EXPECT_EQ(dpi->minimum() * 40, 200);
    EXPECT_EQ(dpi->maximum() * 40, 4800);
    EXPECT_EQ(Control<QSlider>(QStringLiteral("ms_1_slider_brightness"))->maximum(), 8);
    EXPECT_EQ(Control<QSlider>(QStringLiteral("ms_1_slider_breathspeed"))->minimum(), 1);
    EXPECT_EQ(Control<QSlider>(QStringLiteral("ms_1_slider_sleep_timer"))->maximum(), 60);
    EXPECT_GE(Control<QComboBox>(QStringLiteral("ms_1_combo_light"))->count(), 12);
    EXPECT_GE(Control<QComboBox>(QStringLiteral("ms_1_combo_light_ble"))->count(), 12);
}

TEST_F(PerformancePanelTest, ThreeSliderMovesWithinHalfASecondGiveOneSend)
{
    auto* slider = Control<QSlider>(QStringLiteral("ms_1_slider_dpi_3"));
    EXPECT_EQ(ApplyTimer(), -1);
    for (int value : {45, 48, 50})
        slider->setValue(value);
    // Each move restarts the one pause; nothing is sent yet.
    EXPECT_EQ(ApplyTimer(), PerformancePanel::kSliderPauseMs);
    EXPECT_EQ(Current().dpi_value[2], 50);
    EXPECT_EQ(Text(QStringLiteral("ms_1_label_dpi_3")), QStringLiteral("2000"));
    window->SendMessage(WindowMessage::kTimer, TimerId::TIMER_APPLY_DELAY, 0);
    EXPECT_EQ(ApplyTimer(), -1);  // fired once, then gone
}

TEST_F(PerformancePanelTest, EffectChoiceWaitsTheShortPauseAndShowsItsRows)
{
    auto* combo = Control<QComboBox>(QStringLiteral("ms_1_combo_light"));
    ChangeAndRefresh([](ProfileRecord& p) { p.light_effect = 0; });
    EXPECT_FALSE(Shown("ms_1_hor_brightness"));
    EXPECT_FALSE(Shown("ms_1_hor_breathspeed"));
    EXPECT_FALSE(Shown("ms_1_hor_light_color"));

    combo->setCurrentIndex(1);
    EXPECT_EQ(Current().light_effect, 1);
    EXPECT_EQ(ApplyTimer(), PerformancePanel::kComboPauseMs);
    EXPECT_TRUE(Shown("ms_1_hor_brightness"));
    EXPECT_FALSE(Shown("ms_1_hor_breathspeed"));
    EXPECT_TRUE(Shown("ms_1_hor_light_color"));

    combo->setCurrentIndex(2);
    EXPECT_FALSE(Shown("ms_1_hor_brightness"));
    EXPECT_TRUE(Shown("ms_1_hor_breathspeed"));
    EXPECT_TRUE(Shown("ms_1_hor_light_color"));

    combo->setCurrentIndex(5);
    EXPECT_FALSE(Shown("ms_1_hor_brightness"));
    EXPECT_TRUE(Shown("ms_1_hor_breathspeed"));
    EXPECT_FALSE(Shown("ms_1_hor_light_color"));
}

TEST_F(PerformancePanelTest, BluetoothLayoutHidesPollingAndBatteryAndShowsItsOwnEffects)
{
    ChangeAndRefresh([](ProfileRecord& p) {
        p.light_effect = 1;
        p.light_effect_ble = 5;
    });
    window->Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::Ble);
    EXPECT_FALSE(Control<QAbstractButton>(QStringLiteral("ms_1_check_prate"))->isChecked());
    EXPECT_FALSE(Shown("ms_1_check_prate"));
    EXPECT_FALSE(Shown("ms_1_ver_prate"));
    EXPECT_FALSE(Shown("ms_1_combo_light"));
    EXPECT_TRUE(Shown("ms_1_combo_light_ble"));
    EXPECT_FALSE(Shown("ms_1_check_power"));
    EXPECT_FALSE(Shown("ms_1_ver_power"));
    EXPECT_TRUE(Shown("ms_1_hor_breathspeed"));  // effect 5 of the Bluetooth list
    EXPECT_FALSE(Shown("ms_1_hor_brightness"));

    window->Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::CableOrReceiver);
    EXPECT_TRUE(Shown("ms_1_combo_light"));
    EXPECT_FALSE(Shown("ms_1_combo_light_ble"));
    EXPECT_TRUE(Shown("ms_1_check_prate"));
    EXPECT_TRUE(Shown("ms_1_hor_brightness"));  // effect 1 of the cable list
}

TEST_F(PerformancePanelTest, PollingOptionWritesTheRateAndItsLabel)
{
    auto* option = Control<QAbstractButton>(QStringLiteral("ms_1_btn_prate_4"));
    option->click();
    EXPECT_EQ(Current().polling_rate, 3);
    EXPECT_EQ(Text(QStringLiteral("ms_1_label_prate")), QStringLiteral("1000 Hz"));
    EXPECT_EQ(ApplyTimer(), -1);  // sent at once, not after a pause
    ChangeAndRefresh([](ProfileRecord& p) { p.polling_rate = 0; });
    EXPECT_EQ(Text(QStringLiteral("ms_1_label_prate")), QStringLiteral("125 Hz"));
    EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("ms_1_btn_prate_1"))->isChecked());
}

TEST_F(PerformancePanelTest, SleepLabelShowsHalfUnits)
{
    ChangeAndRefresh([](ProfileRecord& p) { p.sleep_timer = 1; });
    EXPECT_EQ(Text(QStringLiteral("ms_1_label_sleep_timer")), QStringLiteral("Sleep after 0.5 min"));
    Control<QSlider>(QStringLiteral("ms_1_slider_sleep_timer"))->setValue(21);
    EXPECT_EQ(Current().sleep_timer, 21);
    EXPECT_EQ(Text(QStringLiteral("ms_1_label_sleep_timer")), QStringLiteral("Sleep after 10.5 min"));
}

TEST_F(PerformancePanelTest, ColoursConvertBetweenStoredAndShown)
{
    EXPECT_EQ(PerformancePanel::ShownColor(0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(PerformancePanel::StoredColor(0xFF102030u), 0x00302010);
    EXPECT_EQ(PerformancePanel::ShownColor(PerformancePanel::StoredColor(0xFFABCDEFu)), 0xFFABCDEFu);
    ChangeAndRefresh([](ProfileRecord& p) { p.light_color = 0x000000FF; });
    EXPECT_EQ(Control(QStringLiteral("ms_1_btn_light_color"))->property("color").toUInt(), 0xFFFF0000u);
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
    ClickControl(*window, QStringLiteral("ms_1_btn_dpi_color_4"));
    EXPECT_EQ(Current().stage_color[3], 0x000000FF);
    EXPECT_EQ(Control(QStringLiteral("ms_1_btn_dpi_color_4"))->property("color").toUInt(), 0xFFFF0000u);
    ClickControl(*window, QStringLiteral("ms_1_btn_light_color"));
    EXPECT_EQ(Current().light_color, lightBefore);  // cancel changes nothing
    EXPECT_EQ(script.shown, (QStringList{"DpiColorWnd", "DpiColorWnd"}));
}

TEST_F(PerformancePanelTest, SectionBoxesFoldTheirContainers)
{
    const char* pairs[][2] = {{"ms_1_check_button", "ms_1_hor_button"},   {"ms_1_check_profile", "ms_1_ver_profile"},
                              {"ms_1_check_power", "ms_1_ver_power"},     {"ms_1_check_dpi", "ms_1_hor_dpi"},
                              {"ms_1_check_light", "ms_1_ver_light"},     {"ms_1_check_prate", "ms_1_ver_prate"},
                              {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute"},
                              {"ms_1_check_power_setting", "ms_1_ver_power_setting"}};
    for (const auto& [check, container] : pairs) {
        auto* box = Control<QAbstractButton>(QLatin1String(check));
        ASSERT_TRUE(box && box->isChecked()) << check;
        EXPECT_TRUE(Shown(container)) << container;
        box->click();
        EXPECT_FALSE(Shown(container)) << container;
        box->click();
        EXPECT_TRUE(Shown(container)) << container;
    }
}

TEST_F(PerformancePanelTest, MovementModeFollowsTheProfileAndIsWrittenOnClick)
{
    auto* box = Control<QAbstractButton>(QStringLiteral("ms_1_check_movemode"));
    box->click();
    EXPECT_EQ(Current().move_mode, 1);
    ChangeAndRefresh([](ProfileRecord& p) { p.move_mode = 0; });
    EXPECT_FALSE(box->isChecked());
}

TEST_F(PerformancePanelTest, AtStartTheCurrentStageIsSelected)
{
    const int stage = Current().current_stage;
    EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_%1").arg(stage + 1))->isChecked());
    Control<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_6"))->click();
    EXPECT_EQ(Current().current_stage, 5);
}

TEST_F(PerformancePanelTest, MouseSettingsOpenTheDesktopsOwnTool)
{
    QStringList started;
    SetDesktopLauncher({[](const QString& program) {
                            return program == QLatin1String("gnome-control-center") ? QStringLiteral("/usr/bin/") + program
                                                                                     : QString();
                        },
                        [&started](const QString& program, const QStringList& arguments) {
                            started << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
                            return true;
                        }});
    const QByteArray saved = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    ClickControl(*window, QStringLiteral("ms_1_btn_mouse_attribute"));
    EXPECT_EQ(started, QStringList{QStringLiteral("/usr/bin/gnome-control-center mouse")});

    qputenv("XDG_CURRENT_DESKTOP", "SomethingElse");
    ModalScript script;
    script.Click("btn_ok");
    ClickControl(*window, QStringLiteral("ms_1_btn_mouse_attribute"));
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(script.shown, QStringList{QStringLiteral("MsgWnd")});
    qputenv("XDG_CURRENT_DESKTOP", saved);
}

TEST_F(PerformancePanelTest, ButtonSlotsShowTheirFunctionAndLightUpUnderThePointer)
{
    EXPECT_EQ(Text(QStringLiteral("ms_1_btn_key_1")), QStringLiteral("Left click"));
    EXPECT_EQ(Text(QStringLiteral("ms_1_btn_key_11")), QStringLiteral("Disabled"));
    ChangeAndRefresh([](ProfileRecord& p) {
        p.buttons[2].function = 16;
        p.buttons[2].modifiers = 1 | 2;
        p.buttons[2].key_code = 0x04;
        p.buttons[3].function = 17;
        const char16_t name[] = u"Burst";
        std::copy(std::begin(name), std::end(name), p.buttons[3].macro_name);
    });
    EXPECT_TRUE(Text(QStringLiteral("ms_1_btn_key_3")).startsWith(QStringLiteral("Ctrl+Shift+")));
    EXPECT_EQ(Text(QStringLiteral("ms_1_btn_key_4")), QStringLiteral("Macro: Burst"));

    QWidget* slot = Control(QStringLiteral("ms_1_btn_key_5"));
    EXPECT_FALSE(Shown("ms_1_key_control_5"));
    window->PaintManager().SendNotify(slot, NotifyType::kMouseEnter);
    EXPECT_TRUE(Shown("ms_1_key_control_5"));
    window->PaintManager().SendNotify(slot, NotifyType::kMouseLeave);
    EXPECT_FALSE(Shown("ms_1_key_control_5"));
}

TEST(MouseSettingsCandidates, EachDesktopHasItsTool)
{
    auto first = [](const char* desktop) {
        const auto candidates = MouseSettingsCandidates(QLatin1String(desktop));
        return candidates.empty() ? QString()
                                  : candidates.front().program + QLatin1Char(' ') + candidates.front().arguments.join(' ');
    };
    EXPECT_EQ(first("KDE"), QStringLiteral("systemsettings kcm_mouse"));
    EXPECT_EQ(first("GNOME"), QStringLiteral("gnome-control-center mouse"));
    EXPECT_EQ(first("XFCE"), QStringLiteral("xfce4-mouse-settings "));
    EXPECT_EQ(first("X-Cinnamon"), QStringLiteral("cinnamon-settings mouse"));
    EXPECT_EQ(first("MATE"), QStringLiteral("mate-mouse-properties "));
    EXPECT_EQ(first("LXQt"), QStringLiteral("lxqt-config-input "));
    EXPECT_EQ(first(""), QString());
}

}  // namespace
