// The performance and lighting panel through its real controls: what each shows of the current
// profile, what each edit writes, and when the edit is sent.
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include "app/settings/performance_panel.h"
#include "app/shell/window_messages.h"
#include "page_window_fixture.h"
#include "ui/desktop_settings.h"

namespace {

class PerformancePanelTest : public PageWindowTest {
protected:
    template <typename Change>
    void ChangeAndRefresh(Change change)
    {
        Session().Locked([&](ProfileSession::State& s) { change(s.Current()); });
        window->Page().RefreshPage();
    }
    // Whether the page shows the control (the page itself is out of view without a mouse).
    bool Shown(const QString& name) { return !Control(name)->isHidden(); }
    bool Shown(const char* name) { return Shown(QLatin1String(name)); }
    std::tuple<bool, bool, bool> LightRows() { return {Shown("ms_1_hor_brightness"), Shown("ms_1_hor_breathspeed"), Shown("ms_1_hor_light_color")}; }
    int ApplyTimer() { return window->TimerIntervalMs(TimerId::TIMER_APPLY_DELAY); }
    QAbstractButton* Button(const QString& name) { return Control<QAbstractButton>(name); }
};

TEST_F(PerformancePanelTest, DpiValuesShowFortyTimesTheStoredValueAndStagesThatAreOffShowNone)
{
    const int stored[8] = {20, 30, 40, 60, 80, 120, 0, 0};
    ChangeAndRefresh([&](ProfileRecord& p) { std::copy(stored, stored + 8, p.dpi_value); });
    const char* shown[8] = {"800", "1200", "1600", "2400", "3200", "4800", "", ""};
    for (int k = 0; k < 8; ++k) {
        const bool on = *shown[k];
        EXPECT_EQ(std::tuple(on ? TextOf(QStringLiteral("ms_1_edit_dpi_%1").arg(k + 1)) : QString(), Shown(QStringLiteral("ms_1_edit_dpi_%1").arg(k + 1)),
                             Shown(QStringLiteral("ms_1_slider_dpi_%1").arg(k + 1)), Button(QStringLiteral("ms_1_option_dpi_step_%1").arg(k + 1))->isEnabled(),
                             Button(QStringLiteral("ms_1_check_stage_%1").arg(k + 1))->isChecked()),
                  std::tuple(QLatin1String(shown[k]), on, on, on, on)) << k;
    }
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
    for (const char* hidden : {"ms_1_check_prate", "ms_1_ver_prate", "ms_1_combo_light", "ms_1_check_power", "ms_1_ver_power"})
        EXPECT_FALSE(Shown(hidden)) << hidden;
    EXPECT_TRUE(Shown("ms_1_combo_light_ble"));
    EXPECT_EQ(LightRows(), std::tuple(false, true, false));  // effect 5 of the Bluetooth list
    window->Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::CableOrReceiver);
    EXPECT_EQ(std::tuple(Shown("ms_1_combo_light"), Shown("ms_1_combo_light_ble"), Shown("ms_1_check_prate"), Shown("ms_1_ver_prate")),
              std::tuple(true, false, true, true));  // the polling section comes back unfolded, as it was
    EXPECT_EQ(LightRows(), std::tuple(true, false, true));  // effect 1 of the cable list
    // A section header folds its section behind a disclosure arrow and is no check box to assistive tools.
    auto* header = Control<QToolButton>(QStringLiteral("ms_1_check_dpi"));
    header->click();
    EXPECT_EQ(std::tuple(Shown("ms_1_hor_dpi"), header->arrowType(), QAccessible::queryAccessibleInterface(header)->role()),
              std::tuple(false, Qt::RightArrow, QAccessible::Button));
}

// Each stage has an on/off box: a stage turned on gets a real DPI, a current stage turned off hands
// over, the last stage on stays on. A typed DPI is snapped to 40 and shown as snapped.
TEST_F(PerformancePanelTest, StagesTurnOnAndOffAndTakeTypedDpi)
{
    Button(QStringLiteral("ms_1_check_stage_7"))->click();
    EXPECT_EQ(std::tuple(Current().stage_enabled[6], Current().dpi_value[6], TextOf(QStringLiteral("ms_1_edit_dpi_7")), ApplyTimer()),
              std::tuple(1, 120, QStringLiteral("4800"), -1));
    ChangeAndRefresh([](ProfileRecord& p) { std::fill(p.stage_enabled, p.stage_enabled + 8, 0), p.stage_enabled[2] = p.stage_enabled[4] = 1, p.current_stage = 4; });
    Button(QStringLiteral("ms_1_check_stage_5"))->click();
    EXPECT_EQ(std::tuple(Current().current_stage, Button(QStringLiteral("ms_1_option_dpi_step_3"))->isChecked(),
                         Button(QStringLiteral("ms_1_check_stage_3"))->isEnabled()),
              std::tuple(2, true, false));
    auto* value = Control<QSpinBox>(QStringLiteral("ms_1_edit_dpi_3"));
    value->selectAll();
    for (QChar key : QStringLiteral("3210\r"))
        TypeKey(value, key == QLatin1Char('\r') ? int(Qt::Key_Return) : Qt::Key_0 + key.digitValue(), key);
    EXPECT_EQ(std::tuple(Current().dpi_value[2], value->text(), Control<QSlider>(QStringLiteral("ms_1_slider_dpi_3"))->value(), ApplyTimer()),
              std::tuple(80, QStringLiteral("3200"), 80, PerformancePanel::kSliderPauseMs));
}

// What assistive tools are told: the battery bar's level, the effect combo's name and effect, a DPI
// slider's DPI, a colour button's colour.
TEST_F(PerformancePanelTest, ControlsTellTheirValuesInTheUsersUnits)
{
    auto tell = [this](const char* name) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(Control(QLatin1String(name)));
        return std::pair(accessible->text(QAccessible::Name), accessible->text(QAccessible::Value));
    };
    window->Page().Links()->HandleDeviceEvent(0x4010, 0x0701);  // awake, level 7
    Control<QProgressBar>(QStringLiteral("ms_1_progress_power"))->setValue(36);  // where a charging sweep may stand
    ChangeAndRefresh([](ProfileRecord& p) { p.light_effect = 0, p.dpi_value[5] = 80, p.stage_color[0] = 0x000000FF; });
    EXPECT_EQ(tell("ms_1_progress_power"), std::pair(LangText("acc_battery_text"), QStringLiteral("70%")));
    EXPECT_EQ(tell("ms_1_combo_light"), std::pair(LangText("acc_light_effect_text"), LangText("light_effect_0_text")));
    EXPECT_EQ(tell("ms_1_slider_dpi_6").second, QStringLiteral("3200"));
    EXPECT_EQ(Control(QStringLiteral("ms_1_btn_dpi_color_1"))->accessibleDescription(), QStringLiteral("#FF0000"));
}

TEST_F(PerformancePanelTest, PollingSleepMovementAndStageWriteTheProfileAndFollowIt)
{
    Button(QStringLiteral("ms_1_btn_prate_4"))->click();
    EXPECT_EQ(std::tuple(Current().polling_rate, TextOf(QStringLiteral("ms_1_label_prate")), ApplyTimer()),
              std::tuple(3, QStringLiteral("1000 Hz"), -1));  // sent at once, not after a pause
    Control<QSlider>(QStringLiteral("ms_1_slider_sleep_timer"))->setValue(21);
    EXPECT_EQ(std::tuple(Current().sleep_timer, TextOf(QStringLiteral("ms_1_label_sleep_timer"))),
              std::tuple(21, QStringLiteral("Sleep after 10.5 min")));
    EXPECT_TRUE(Button(QStringLiteral("ms_1_option_dpi_step_%1").arg(Current().current_stage + 1))->isChecked());
    Button(QStringLiteral("ms_1_check_movemode"))->click();
    Button(QStringLiteral("ms_1_option_dpi_step_6"))->click();
    EXPECT_EQ(std::tuple(Current().move_mode, Current().current_stage), std::tuple(1, 5));

    ChangeAndRefresh([](ProfileRecord& p) { p.polling_rate = 0, p.sleep_timer = 1, p.move_mode = 0, p.light_color = 0x000000FF; });
    EXPECT_EQ(std::tuple(TextOf(QStringLiteral("ms_1_label_prate")), Button(QStringLiteral("ms_1_btn_prate_1"))->isChecked(),
                         TextOf(QStringLiteral("ms_1_label_sleep_timer")), Button(QStringLiteral("ms_1_check_movemode"))->isChecked(),
                         Control(QStringLiteral("ms_1_btn_light_color"))->property("color").toUInt()),
              std::tuple(QStringLiteral("125 Hz"), true, QStringLiteral("Sleep after 0.5 min"), false, 0xFFFF0000u));
    ChangeAndRefresh([](ProfileRecord& p) { p.polling_rate = 8; });  // as the mouse may report it: no option holds it
    EXPECT_FALSE(Button(QStringLiteral("ms_1_btn_prate_1"))->isChecked());
    EXPECT_EQ(std::tuple(PerformancePanel::StoredColor(0xFF102030u), PerformancePanel::ShownColor(PerformancePanel::StoredColor(0xFFABCDEFu))),
              std::tuple(0x00302010, 0xFFABCDEFu));
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

TEST(MouseSettingsCandidates, EachDesktopHasItsTool)
{
    const std::pair<const char*, const char*> kTools[] = {
        {"KDE", "systemsettings kcm_mouse"}, {"GNOME", "gnome-control-center mouse"}, {"XFCE", "xfce4-mouse-settings "},
        {"X-Cinnamon", "cinnamon-settings mouse"}, {"MATE", "mate-mouse-properties "}, {"LXQt", "lxqt-config-input "}, {"", ""}};
    for (const auto& [desktop, tool] : kTools) {
        const auto candidates = MouseSettingsCandidates(QLatin1String(desktop));
        EXPECT_EQ(candidates.empty() ? QString() : candidates.front().program + QLatin1Char(' ') + candidates.front().arguments.join(' '),
                  QLatin1String(tool)) << desktop;
    }
}

}  // namespace
