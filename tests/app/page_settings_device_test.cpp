// Settings made on the page reach the emulated mouse: a DPI slider after its pause, a profile
// switch as a whole profile, and the battery shown while the cable charges.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>

#include "app/shell/main_wnd.h"
#include "app/shell/window_messages.h"
#include "core/platform/dynamic_library.h"
#include "core/storage/profile_store.h"
#include "fakes/fake_device.h"
#include "app/sim_window_fixture.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"

namespace {


class PageSettingsDeviceTest : public SimWindowTest {
protected:
    template <typename T = QWidget>
    T* Control(const QString& name)
    {
        return window.PaintManager().FindControl<T>(name);
    }
};

TEST_F(PageSettingsDeviceTest, StageThreeSliderTo2000ReachesTheMouseAndTheStore)
{
    const int before = Reports();
    auto* slider = Control<QSlider>(QStringLiteral("ms_1_slider_dpi_3"));
    for (int value : {44, 47, 50})
        slider->setValue(value);
    EXPECT_EQ(window.TimerIntervalMs(TimerId::TIMER_APPLY_DELAY), 500);
    ProcessPending();
    EXPECT_EQ(Reports(), before);  // nothing before the pause is over

    window.SendMessage(WindowMessage::kTimer, TimerId::TIMER_APPLY_DELAY, 0);
    ProcessPending();
    ASSERT_TRUE(WaitForReports(before + 1));
    window.Page().ShutdownDevice();  // the worker finishes its queue: the store is written
    EXPECT_EQ(Reports(), before + 1);  // one DPI report for three moves
    EXPECT_EQ(State()["stages"].toArray()[2].toObject()["dpi"].toInt(), 2000);

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(profiles, *header, window.Page().Session().DataFolder());
    ASSERT_FALSE(profiles.empty());
    EXPECT_EQ(profiles.at(header->current_profile_index)->dpi_value[2], 50);
}

TEST_F(PageSettingsDeviceTest, SwitchingTheProfileSendsItWhole)
{
    // A second profile that differs in every section.
    window.Page().Session().Locked([](ProfileSession::State& s) {
        auto profile = CreateProfile(QStringLiteral("Other"));
        profile->dpi_value[0] = 25;
        profile->polling_rate = 3;
        profile->light_effect = 2;
        profile->buttons[1].function = 3;
        s.profiles.push_back(std::move(profile));
    });
    auto* list = Control<QListWidget>(QStringLiteral("ms_1_list_profile"));
    list->addItem(QStringLiteral("Other"));
    const int before = Reports();
    list->setCurrentRow(1);
    ProcessPending();
    ASSERT_TRUE(WaitForReports(before + 4));
    const QJsonObject state = State();
    EXPECT_EQ(state["stages"].toArray()[0].toObject()["dpi"].toInt(), 1000);
    EXPECT_EQ(state["pollingHz"].toInt(), 1000);
    EXPECT_EQ(state["lighting"].toObject()["effect"].toInt(), 2);
}

TEST_F(PageSettingsDeviceTest, StageOptionAndPollingSendAtOnce)
{
    const int before = Reports();
    Control<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_5"))->click();
    ProcessPending();
    ASSERT_TRUE(WaitForReports(before + 1));
    EXPECT_EQ(State()["currentStage"].toInt(), 5);  // the mouse counts stages from 1
    Control<QAbstractButton>(QStringLiteral("ms_1_btn_prate_2"))->click();
    ProcessPending();
    ASSERT_TRUE(WaitForReports(before + 2));
    EXPECT_EQ(State()["pollingHz"].toInt(), 250);
}

TEST_F(PageSettingsDeviceTest, AColourChosenInTheDialogReachesTheMouse)
{
    const int before = Reports();
    ScopedModalDriver driver([](WindowImplBase& dialog) {
        ClickControl(dialog, QStringLiteral("mouse_dpi_color_13"));  // 0x1EB40A
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    });
    ASSERT_TRUE(ClickControl(window, QStringLiteral("ms_1_btn_dpi_color_2")));
    ProcessPending();
    ASSERT_TRUE(WaitForReports(before + 1));
    EXPECT_EQ(State()["stages"].toArray()[1].toObject()["color"].toString(), QStringLiteral("#1EB40A"));
}

TEST_F(PageSettingsDeviceTest, BatteryWhileChargingJoinsTheChargingText)
{
    EXPECT_EQ(ControlText(Control(QStringLiteral("ms_1_label_power"))), QStringLiteral("Charging"));
    window.Page().Links()->HandleDeviceEvent(0x4010, 0x0801);  // awake, battery level 8
    ProcessPending();
    EXPECT_EQ(ControlText(Control(QStringLiteral("ms_1_label_power"))), QStringLiteral("Charging · 80%"));
    EXPECT_TRUE(window.PaintManager().IsTimerActive(Control(QStringLiteral("ms_1_progress_power")),
                                                    TimerId::kChargingAnimation));
}

}  // namespace
