#include <gtest/gtest.h>

#include "core/text/name_field.h"
#include "core/report/apply_reports.h"
#include "core/report/report_encoders.h"
#include "core/profile/profile_record.h"

namespace {

Report Bytes(std::initializer_list<int> values)
{
    Report report;
    for (int v : values)
        report.push_back(std::uint8_t(v));
    return report;
}

Report Slice(const Report& report, std::size_t offset, std::size_t count)
{
    return Report(report.begin() + std::ptrdiff_t(offset), report.begin() + std::ptrdiff_t(offset + count));
}

void BindMacro(ButtonRecord& button, std::initializer_list<MacroActionSlot> actions)
{
    button.function = 17;
    button.macro_action_count = std::uint16_t(actions.size());
    std::copy(actions.begin(), actions.end(), button.macro_actions);
}

constexpr std::uint8_t kPress = 1;
constexpr std::uint8_t kRelease = 2;

TEST(DpiReport, DefaultProfile)
{
    const auto profile = CreateProfile(QStringLiteral("P"));
    const Report report = EncodeDpiReport(*profile);
    ASSERT_EQ(report.size(), 56u);
    EXPECT_EQ(Slice(report, 0, 16), Bytes({0x04, 0x38, 0x01, 0x08, 0x08, 0x3F, 0x30, 0x30, 21, 31, 42, 63, 42, 63, 0, 0}));
    EXPECT_EQ(Slice(report, 16, 8), Bytes({21, 31, 42, 63, 42, 63, 0, 0}));
    EXPECT_EQ(report[24], 2);
    EXPECT_EQ(Slice(report, 25, 6), Bytes({0xFF, 0, 0, 0, 0xFF, 0}));  // red, green
    EXPECT_EQ(Slice(report, 43, 6), Bytes({0xFF, 0x40, 0, 0xFF, 0xFF, 0xFF}));  // orange, white
    EXPECT_EQ(report[49], 1);
    EXPECT_EQ(Slice(report, 50, 6), Report(6, 0));
}

TEST(DpiReport, SensorValuesAndHighRange)
{
    struct Case { int dpiValue; int sensor; bool high; };
    for (const Case c : {Case{20, 21, false}, Case{30, 31, false}, Case{60, 63, false}, Case{61, 32, true},
                         Case{80, 42, true}, Case{120, 63, true}, Case{0, 0, false}}) {
        const SensorValue value = DpiSensorValue(c.dpiValue);
        EXPECT_EQ(value.value, c.sensor) << c.dpiValue;
        EXPECT_EQ(value.highRange, c.high) << c.dpiValue;
    }
}

TEST(DpiReport, OnlyExactlyOneEnablesAStage)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    profile->stage_enabled[0] = 2;
    profile->stage_enabled[7] = 1;
    EXPECT_EQ(EncodeDpiReport(*profile)[5], 0xBE);
}

TEST(LightingReport, EffectsSpeedBrightnessColourSleep)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    profile->light_effect = 1;
    profile->light_effect_ble = 3;
    profile->brightness = 5;
    profile->breath_speed = 6;
    profile->light_color = 0x00302010;
    profile->sleep_timer = 4;
    EXPECT_EQ(EncodeLightingReport(*profile),
              Bytes({0x05, 0x0F, 0x01, 0x13, 3, 5, 0x10, 0x20, 0x30, 4, 1, 0, 0, 0, 0}));
    profile->light_effect = 2;
    EXPECT_EQ(EncodeLightingReport(*profile)[5], 8);
    profile->light_effect = 9;
    EXPECT_EQ(EncodeLightingReport(*profile)[5], 5);
    profile->light_effect = 0x1F;  // only the low four bits fit
    EXPECT_EQ(EncodeLightingReport(*profile)[3], 0xF3);
}

TEST(PollingReport, IntervalPerRate)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    const std::pair<int, int> cases[] = {{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 2}, {-1, 2}};
    for (auto [rate, interval] : cases) {
        profile->polling_rate = rate;
        EXPECT_EQ(EncodePollingReport(*profile), Bytes({0x06, 0x09, 0x01, interval, 0, 0, 0, 0, 0})) << rate;
    }
}

TEST(ButtonReport, MacroNumbersInButtonOrder)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    BindMacro(profile->buttons[5], {});
    const MacroNumbers numbers = AssignMacroNumbers(*profile);
    EXPECT_EQ(numbers[5], 1);
    const Report report = EncodeButtonReport(*profile, numbers);
    ASSERT_EQ(report.size(), 59u);
    EXPECT_EQ(Slice(report, 0, 3), Bytes({0x08, 0x3B, 0x01}));
    EXPECT_EQ(Slice(report, 3 + 3 * 5, 3), Bytes({18, 0, 1}));
    EXPECT_EQ(Slice(report, 3, 3), Bytes({2, 0, 0}));           // left click
    EXPECT_EQ(Slice(report, 3 + 3 * 9, 3), Bytes({17, 8, 7}));  // show desktop: Win+D
    EXPECT_EQ(Slice(report, 3 + 3 * 17, 3), Bytes({10, 0, 0})); // scroll down
    EXPECT_EQ(Slice(report, 57, 2), Bytes({0, 0}));

    BindMacro(profile->buttons[14], {});  // beyond button 11: never numbered
    BindMacro(profile->buttons[2], {});
    const MacroNumbers later = AssignMacroNumbers(*profile);
    EXPECT_EQ(later[2], 1);
    EXPECT_EQ(later[5], 2);
    EXPECT_EQ(Slice(EncodeButtonReport(*profile, later), 3 + 3 * 14, 3), Bytes({18, 0, 0}));
}

TEST(MacroReport, EntriesAndTenthsRounding)
{
    ButtonRecord button{};
    BindMacro(button, {{4, kPress, 50}, {4, kRelease, 50}, {5, kPress, 20}, {5, kRelease, 0},
                       {6, kPress, 1400}, {6, kRelease, 1500}, {7, kPress, 15}});
    button.macro_repeat_mode = 0x102;
    button.macro_option = 7;
    button.macro_loop_count = 0;
    const Report report = EncodeMacroReport(3, button);
    ASSERT_EQ(report.size(), 131u);
    EXPECT_EQ(Slice(report, 0, 9), Bytes({0x09, 0x83, 3, 0x02, 7, 7, 7, 1, 9}));
    EXPECT_EQ(Slice(report, 9, 22), Bytes({0x05, 4, 0x85, 4, 0x03, 5, 0x81, 5, 0x01, 6, 7, 3, 0x8B, 6, 7, 3,
                                           0x03, 7, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(report, 27, 131 - 27), Report(131 - 27, 0));
}

TEST(MacroReport, AtMostTenLongDelayEntries)
{
    ButtonRecord button{};
    button.function = 17;
    button.macro_action_count = 12;
    for (int i = 0; i < 12; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), kPress, 2000};
    const Report report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 22);
    EXPECT_EQ(Slice(report, 9 + 4 * 9, 4), Bytes({0x01, 13, 10, 3}));  // tenth action: still a long entry
    EXPECT_EQ(Slice(report, 9 + 4 * 10, 6), Bytes({0x01, 14, 0x01, 15, 0, 0}));
}

TEST(MacroReport, DamagedCountIsClippedToTheSlots)
{
    ButtonRecord button{};
    button.function = 17;
    button.macro_action_count = 60000;
    for (auto& slot : button.macro_actions)
        slot = {4, kPress, 10};
    button.macro_index = 0x7F7F7F7F;  // what follows the slots must not be read
    const Report report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 46);
    EXPECT_EQ(Slice(report, 9 + 2 * 45, 4), Bytes({0x01, 4, 0, 0}));
}

TEST(DetectChanges, SectionsFollowTheirFields)
{
    auto snapshot = CreateProfile(QStringLiteral("P"));
    auto current = CreateProfile(QStringLiteral("P"));
    EXPECT_FALSE(DetectChanges(*current, *snapshot).Any());

    current->move_mode = 1;
    SetProfileName(*current, QStringLiteral("Renamed"));
    current->reserved_value_1 = 1;
    EXPECT_FALSE(DetectChanges(*current, *snapshot).Any());

    current->dpi_value_y[7] = 5;
    current->sleep_timer = 3;
    EXPECT_EQ(DetectChanges(*current, *snapshot), (SectionChanges{true, false, true, false}));

    auto buttonsOnly = CreateProfile(QStringLiteral("P"));
    buttonsOnly->buttons[23].macro_actions[45].delay_ms = 1;  // unsent buttons still count
    buttonsOnly->polling_rate = 0;
    EXPECT_EQ(DetectChanges(*buttonsOnly, *snapshot), (SectionChanges{false, true, false, true}));
}

TEST(ApplyReports, FullSendOrderWithTwoMacroButtons)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    BindMacro(profile->buttons[7], {{4, kPress, 10}});
    BindMacro(profile->buttons[3], {{5, kPress, 10}});
    const std::vector<Report> reports = ApplyReports(*profile, *profile, true);
    ASSERT_EQ(reports.size(), 6u);
    const int commands[] = {0x04, 0x05, 0x06, 0x09, 0x09, 0x08};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(reports[std::size_t(i)][0], commands[i]) << i;
    EXPECT_EQ(reports[3][2], 1);  // button 3's macro comes first
    EXPECT_EQ(reports[3][10], 5);
    EXPECT_EQ(reports[4][2], 2);
    EXPECT_EQ(reports[4][10], 4);
}

TEST(ApplyReports, OnlyChangedSectionsWithoutFullSend)
{
    auto snapshot = CreateProfile(QStringLiteral("P"));
    auto current = CreateProfile(QStringLiteral("P"));
    EXPECT_TRUE(ApplyReports(*current, *snapshot, false).empty());
    current->polling_rate = 3;
    const std::vector<Report> reports = ApplyReports(*current, *snapshot, false);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][3], 1);
}

// Crafted records hold any 32-bit value. The reports carry the low byte of the wrapped result, and
// computing it must not overflow (the sanitizer build aborts on signed overflow).
TEST(CraftedRecords, ExtremeFieldsGiveTheWrappedLowByte)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    profile->current_stage = INT32_MAX;  // + 1 wraps to 0x80000000
    profile->breath_speed = INT32_MIN;   // 9 - it wraps to 0x80000009
    EXPECT_EQ(EncodeDpiReport(*profile)[24], 0x00);
    EXPECT_EQ(EncodeLightingReport(*profile)[4], 0x09);

    profile->current_stage = -1;
    profile->breath_speed = INT32_MAX;  // 9 - 0x7FFFFFFF = 0x8000000A
    EXPECT_EQ(EncodeDpiReport(*profile)[24], 0x00);
    EXPECT_EQ(EncodeLightingReport(*profile)[4], 0x0A);

    profile->current_stage = INT32_MIN;
    profile->breath_speed = -247;  // 9 + 247 = 256
    EXPECT_EQ(EncodeDpiReport(*profile)[24], 0x01);
    EXPECT_EQ(EncodeLightingReport(*profile)[4], 0x00);

    for (std::int32_t value : {INT32_MIN, -1, INT32_MAX}) {
        for (int i = 0; i < kDpiStageCount; ++i)
            profile->dpi_value[i] = value;
        profile->dpi_option_a = profile->dpi_option_b = profile->brightness = profile->sleep_timer = value;
        profile->light_effect = profile->light_effect_ble = value;
        EXPECT_EQ(EncodeDpiReport(*profile).size(), 56u);
        EXPECT_EQ(EncodeLightingReport(*profile).size(), 15u);
    }
}

TEST(CraftedRecords, InRangeValuesKeepTheirBytes)
{
    auto profile = CreateProfile(QStringLiteral("P"));
    for (std::int32_t stage = 0; stage < 8; ++stage) {
        profile->current_stage = stage;
        EXPECT_EQ(EncodeDpiReport(*profile)[24], stage + 1);
    }
    for (std::int32_t speed = 0; speed <= 9; ++speed) {
        profile->breath_speed = speed;
        EXPECT_EQ(EncodeLightingReport(*profile)[4], 9 - speed);
    }
}

}  // namespace
