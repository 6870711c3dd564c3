// The reports a profile becomes, byte for byte: the worked examples of the report layouts, the
// delay boundaries of macro entries and device steps, and the order of a full send.
#include <gtest/gtest.h>

#include <QString>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/report/apply_reports.h"
#include "core/report/report_encoders.h"

namespace {

constexpr std::uint8_t kPress = 1, kRelease = 2;

Report Bytes(std::initializer_list<int> values) {
    Report report;
    for (int v : values)
        report.push_back(std::uint8_t(v));
    return report;
}

Report Slice(const Report& report, std::size_t offset, std::size_t count) {
    return Report(report.begin() + std::ptrdiff_t(offset), report.begin() + std::ptrdiff_t(offset + count));
}

void BindMacro(ButtonRecord& button, std::initializer_list<MacroActionSlot> actions) {
    button.function = 17;
    button.macro_action_count = std::uint16_t(actions.size());
    std::copy(actions.begin(), actions.end(), button.macro_actions);
}

TEST(DpiReport, DefaultProfile) {
    const Report report = EncodeDpiReport(*CreateProfile(QStringLiteral("P")));
    ASSERT_EQ(report.size(), 56u);
    EXPECT_EQ(Slice(report, 0, 25), Bytes({0x04, 0x38, 0x01, 0x08, 0x08, 0x3F, 0x30, 0x30, 21, 31, 42, 63, 42, 63, 0, 0,
                                           21, 31, 42, 63, 42, 63, 0, 0, 2}));
    // Stage colours red, green, blue, yellow, magenta, cyan, orange, white; then 1 and zeros.
    EXPECT_EQ(Slice(report, 25, 31), Bytes({0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF,
                                            0xFF, 0xFF, 0x40, 0, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(DpiReport, SensorValuesHighRangeAndEnableMask) {
    struct Case { int dpiValue, sensor; bool high; };
    for (const Case c : {Case{20, 21, false}, Case{30, 31, false}, Case{60, 63, false}, Case{61, 32, true},
                         Case{80, 42, true}, Case{120, 63, true}, Case{0, 0, false}}) {
        const SensorValue value = DpiSensorValue(c.dpiValue);
        EXPECT_EQ(std::pair(int(value.value), value.highRange), std::pair(c.sensor, c.high)) << c.dpiValue;
    }
    auto profile = CreateProfile(QStringLiteral("P"));
    profile->stage_enabled[0] = 2;  // only exactly 1 enables a stage
    profile->stage_enabled[7] = 1;
    profile->dpi_value[7] = 61;     // the eighth stage has its own bits
    const Report report = EncodeDpiReport(*profile);
    EXPECT_EQ(Slice(report, 5, 3), Bytes({0xBE, 0xB0, 0xB0}));
    EXPECT_EQ(std::pair(report[15], report[23]), std::pair(std::uint8_t(32), std::uint8_t(32)));
}

TEST(LightingReport, WorkedExampleAndEveryEffect) {
    auto profile = CreateProfile(QStringLiteral("P"));
    profile->light_effect = 1;
    profile->light_effect_ble = 3;
    profile->brightness = 5;
    profile->breath_speed = 6;
    profile->light_color = 0x00302010;
    profile->sleep_timer = 4;
    EXPECT_EQ(EncodeLightingReport(*profile), Bytes({0x05, 0x0F, 0x01, 0x13, 3, 5, 0x10, 0x20, 0x30, 4, 1, 0, 0, 0, 0}));
    // Effects 0..15 on both links, up to the last; only effects 1 and 9 carry the brightness.
    for (int effect = 0; effect <= 15; ++effect) {
        profile->light_effect = effect;
        profile->light_effect_ble = 15 - effect;
        const Report report = EncodeLightingReport(*profile);
        EXPECT_EQ(report[3], effect << 4 | (15 - effect)) << effect;
        EXPECT_EQ(report[5], effect == 1 || effect == 9 ? 5 : 8) << effect;
    }
    profile->light_effect = 0x1F;  // only the low four bits fit
    EXPECT_EQ(EncodeLightingReport(*profile)[3], 0xF0);
}

TEST(PollingReport, IntervalPerRate) {
    auto profile = CreateProfile(QStringLiteral("P"));
    for (auto [rate, interval] : {std::pair{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 2}, {-1, 2}}) {
        profile->polling_rate = rate;
        EXPECT_EQ(EncodePollingReport(*profile), Bytes({0x06, 0x09, 0x01, interval, 0, 0, 0, 0, 0})) << rate;
    }
}

TEST(ButtonReport, MacroNumbersInButtonOrder) {
    auto profile = CreateProfile(QStringLiteral("P"));
    BindMacro(profile->buttons[5], {});
    const MacroNumbers numbers = AssignMacroNumbers(*profile);
    EXPECT_EQ(numbers[5], 1);
    const Report report = EncodeButtonReport(*profile, numbers);
    ASSERT_EQ(report.size(), 59u);
    EXPECT_EQ(Slice(report, 0, 6), Bytes({0x08, 0x3B, 0x01, 2, 0, 0}));  // left click
    EXPECT_EQ(Slice(report, 3 + 3 * 5, 3), Bytes({18, 0, 1}));
    EXPECT_EQ(Slice(report, 3 + 3 * 9, 3), Bytes({17, 8, 7}));   // show desktop: Win+D
    EXPECT_EQ(Slice(report, 3 + 3 * 17, 5), Bytes({10, 0, 0, 0, 0}));  // scroll down, then zeros

    BindMacro(profile->buttons[14], {});  // beyond button 11: never numbered
    BindMacro(profile->buttons[2], {});
    const MacroNumbers later = AssignMacroNumbers(*profile);
    EXPECT_EQ(std::pair(later[2], later[5]), std::pair(std::uint8_t(1), std::uint8_t(2)));
    EXPECT_EQ(Slice(EncodeButtonReport(*profile, later), 3 + 3 * 14, 3), Bytes({18, 0, 0}));
}

TEST(MacroReport, HeaderEntriesAndTenthsRounding) {
    ButtonRecord button{};
    BindMacro(button, {{4, kPress, 50}, {4, kRelease, 50}, {5, kPress, 20}, {5, kRelease, 0},
                       {6, kPress, 1400}, {6, kRelease, 1500}, {7, kPress, 15}});
    button.macro_repeat_mode = 0x102;
    button.macro_option = 7;
    button.macro_loop_count = 0;
    const Report report = EncodeMacroReport(3, button);
    ASSERT_EQ(report.size(), 131u);
    EXPECT_EQ(Slice(report, 0, 9), Bytes({0x09, 0x83, 3, 0x02, 7, 7, 7, 1, 9}));
    EXPECT_EQ(Slice(report, 9, 18), Bytes({0x05, 4, 0x85, 4, 0x03, 5, 0x81, 5, 0x01, 6, 7, 3, 0x8B, 6, 7, 3, 0x03, 7}));
    EXPECT_EQ(Slice(report, 27, 131 - 27), Report(131 - 27, 0));
}

// Where a delay stops being short: one entry up to 1270 ms, a long-delay entry from 1271 ms on.
// Short: (tenths of the delay OR flag, key). Long: (tenths of the delay modulo 200 OR flag, key),
// then (delay / 200, 3). Flag 0x01 for a press, 0x81 for a release.
TEST(MacroReport, LongDelayBoundary) {
    struct Row { std::uint8_t kind; std::uint16_t delayMs; Report entries; };
    const Row rows[] = {
        {kPress, 1265, {0x7F, 4}},       {kPress, 1270, {0x7F, 4}},       {kRelease, 1270, {0xFF, 4}},
        {kPress, 1271, {0x07, 4, 6, 3}}, {kRelease, 1271, {0x87, 4, 6, 3}}, {kPress, 1280, {0x09, 4, 6, 3}},
        {kPress, 1281, {0x09, 4, 6, 3}}, {kPress, 1400, {0x01, 4, 7, 3}}, {kPress, 65535, {0x0F, 4, 71, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.delayMs);
        ButtonRecord button{};
        BindMacro(button, {{4, row.kind, row.delayMs}});
        const Report report = EncodeMacroReport(1, button);
        EXPECT_EQ(report[8], row.entries.size() / 2) << "entry count";
        Report expected = row.entries;
        expected.push_back(0);  // nothing after the entries
        EXPECT_EQ(Slice(report, 9, expected.size()), expected);
    }
}

TEST(MacroReport, AtMostTenLongDelayEntriesAndDamagedCountsClipped) {
    ButtonRecord button{};
    button.function = 17;
    button.macro_action_count = 12;
    for (int i = 0; i < 12; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), kPress, 2000};
    Report report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 22);
    EXPECT_EQ(Slice(report, 9 + 4 * 9, 10), Bytes({0x01, 13, 10, 3, 0x01, 14, 0x01, 15, 0, 0}));  // tenth still long

    button.macro_action_count = 60000;
    for (auto& slot : button.macro_actions)
        slot = {4, kPress, 10};
    button.macro_index = 0x7F7F7F7F;  // what follows the slots must not be read
    report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 46);
    EXPECT_EQ(Slice(report, 9 + 2 * 45, 4), Bytes({0x01, 4, 0, 0}));
}

// The device takes two steps for an action whose delay exceeds 1280 ms; counts outside 0..46 are
// clipped to the slots.
TEST(MacroStepCount, LongDelaysTakeTwoStepsAndCountsAreClipped) {
    for (auto [delayMs, steps] : {std::pair{10, 1}, {1270, 1}, {1271, 1}, {1280, 1}, {1281, 2}, {65535, 2}}) {
        MacroActionSlot actions[MacroActionLimit]{};
        actions[0] = {4, kPress, std::uint16_t(delayMs)};
        EXPECT_EQ(MacroStepCount(actions, 1), steps) << delayMs;
    }
    MacroRecord macro{};
    macro.actions[0].delay_ms = 10;
    macro.actions[1].delay_ms = 1280;
    macro.actions[2].delay_ms = 1281;
    for (auto [count, steps] : {std::pair{3, 4}, {0, 0}, {1000, 47}, {-5, 0}}) {
        macro.action_count = count;
        EXPECT_EQ(MacroStepCount(macro), steps) << count;
    }
}

TEST(ApplyReports, FullSendOrderWithTwoMacroButtonsAndOnlyChangedSectionsOtherwise) {
    auto profile = CreateProfile(QStringLiteral("P"));
    BindMacro(profile->buttons[7], {{4, kPress, 10}});
    BindMacro(profile->buttons[3], {{5, kPress, 10}});
    const std::vector<Report> reports = ApplyReports(*profile, *profile, true);
    ASSERT_EQ(reports.size(), 6u);
    const int commands[] = {0x04, 0x05, 0x06, 0x09, 0x09, 0x08};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(reports[std::size_t(i)][0], commands[i]) << i;
    EXPECT_EQ(Bytes({reports[3][2], reports[3][10], reports[4][2], reports[4][10]}), Bytes({1, 5, 2, 4}));

    auto current = CreateProfile(QStringLiteral("P"));
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    EXPECT_TRUE(ApplyReports(*current, *snapshot, false).empty());
    current->polling_rate = 3;
    EXPECT_EQ(ApplyReports(*current, *snapshot, false), std::vector<Report>{EncodePollingReport(*current)});
}

// Crafted records hold any 32-bit value. The reports carry the low byte of the wrapped result, and
// computing it must not overflow (the sanitizer build aborts on signed overflow).
TEST(CraftedRecords, ExtremeFieldsGiveTheWrappedLowByte) {
    auto profile = CreateProfile(QStringLiteral("P"));
    struct Case { std::int32_t stage, speed; int stageByte, speedByte; };
    const Case cases[] = {{INT32_MAX, INT32_MIN, 0x00, 0x09}, {-1, INT32_MAX, 0x00, 0x0A}, {INT32_MIN, -247, 0x01, 0x00},
                          {0, 9, 1, 0}, {7, 0, 8, 9}};
    for (const Case& c : cases) {
        profile->current_stage = c.stage;
        profile->breath_speed = c.speed;
        EXPECT_EQ(EncodeDpiReport(*profile)[24], c.stageByte) << c.stage;
        EXPECT_EQ(EncodeLightingReport(*profile)[4], c.speedByte) << c.speed;
    }
    for (std::int32_t value : {INT32_MIN, -1, INT32_MAX}) {
        for (int i = 0; i < kDpiStageCount; ++i)
            profile->dpi_value[i] = value;
        profile->dpi_option_a = profile->dpi_option_b = profile->brightness = profile->sleep_timer = value;
        profile->light_effect = profile->light_effect_ble = value;
        EXPECT_EQ(EncodeDpiReport(*profile).size(), 56u);
        EXPECT_EQ(EncodeLightingReport(*profile).size(), 15u);
    }
}

}  // namespace
