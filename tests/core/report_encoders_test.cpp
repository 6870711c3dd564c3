// The reports a profile becomes, byte for byte: the worked examples of the report layouts, the
// delay boundaries of macro entries and device steps, which fields mark which section changed,
// and the order of a full send.
#include <gtest/gtest.h>

#include <QString>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/report/apply_reports.h"
#include "core/report/change_detection.h"
#include "core/report/report_encoders.h"

namespace {

constexpr std::uint8_t kPress = 1, kRelease = 2;

Report Bytes(std::initializer_list<int> values) { return Report(values.begin(), values.end()); }
Report Slice(const Report& r, std::size_t at, std::size_t n) { return Report(r.begin() + long(at), r.begin() + long(at + n)); }
std::unique_ptr<ProfileRecord> Profile() { return CreateProfile(QStringLiteral("P")); }

void BindMacro(ButtonRecord& button, std::initializer_list<MacroActionSlot> actions) {
    button.function = 17;
    button.macro_action_count = std::uint16_t(actions.size());
    std::copy(actions.begin(), actions.end(), button.macro_actions);
}

TEST(DpiReport, DefaultProfileSensorValuesAndTheEighthStage) {
    // Stage colours red, green, blue, yellow, magenta, cyan, orange, white; then 1 and zeros.
    EXPECT_EQ(EncodeDpiReport(*Profile()),
              Bytes({0x04, 0x38, 0x01, 0x08, 0x08, 0x3F, 0x30, 0x30, 21, 31, 42, 63, 42, 63, 0, 0, 21, 31, 42, 63, 42, 63, 0,
                     0, 2, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0x40, 0,
                     0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0}));
    struct Case { int dpiValue, sensor; bool high; };
    for (const Case c : {Case{20, 21, false}, Case{30, 31, false}, Case{60, 63, false}, Case{61, 32, true},
                         Case{80, 42, true}, Case{120, 63, true}, Case{0, 0, false}}) {
        const SensorValue value = DpiSensorValue(c.dpiValue);
        EXPECT_EQ(std::pair(int(value.value), value.highRange), std::pair(c.sensor, c.high)) << c.dpiValue;
    }
    auto profile = Profile();
    profile->stage_enabled[0] = 2;  // only exactly 1 enables a stage
    profile->stage_enabled[7] = 1;
    profile->dpi_value[7] = 61;     // the eighth stage has its own bits
    const Report report = EncodeDpiReport(*profile);
    EXPECT_EQ(Bytes({report[5], report[6], report[7], report[15], report[23]}), Bytes({0xBE, 0xB0, 0xB0, 32, 32}));
}

TEST(LightingReport, WorkedExampleAndEveryEffectUpToTheLast) {
    auto profile = Profile();
    profile->light_effect = 1;
    profile->light_effect_ble = 3;
    profile->brightness = 5;
    profile->breath_speed = 6;
    profile->light_color = 0x00302010;
    profile->sleep_timer = 4;
    EXPECT_EQ(EncodeLightingReport(*profile), Bytes({0x05, 0x0F, 0x01, 0x13, 3, 5, 0x10, 0x20, 0x30, 4, 1, 0, 0, 0, 0}));
    for (int effect = 0; effect <= 15; ++effect) {  // on both links; only effects 1 and 9 carry the brightness
        profile->light_effect = effect;
        profile->light_effect_ble = 15 - effect;
        const Report report = EncodeLightingReport(*profile);
        EXPECT_EQ(std::pair(int(report[3]), int(report[5])), std::pair(effect << 4 | (15 - effect), effect % 8 == 1 ? 5 : 8));
    }
    profile->light_effect = 0x1F;  // only the low four bits fit
    EXPECT_EQ(EncodeLightingReport(*profile)[3], 0xF0);
}

TEST(PollingReport, IntervalPerRate) {
    auto profile = Profile();
    for (auto [rate, interval] : {std::pair{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 2}, {-1, 2}}) {
        profile->polling_rate = rate;
        EXPECT_EQ(EncodePollingReport(*profile), Bytes({0x06, 0x09, 0x01, interval, 0, 0, 0, 0, 0})) << rate;
    }
}

TEST(ButtonReport, MacroNumbersInButtonOrder) {
    auto profile = Profile();
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
    Report expected = Bytes({0x09, 0x83, 3, 0x02, 7, 7, 7, 1, 9, 0x05, 4, 0x85, 4, 0x03, 5, 0x81, 5, 0x01, 6, 7, 3, 0x8B, 6, 7, 3, 0x03, 7});
    expected.resize(131);
    EXPECT_EQ(EncodeMacroReport(3, button), expected);
}

// Where a delay stops being short: one entry up to 1270 ms, a long-delay entry from 1271 ms on.
// Short: (tenths of the delay OR flag, key). Long: (tenths of the delay modulo 200 OR flag, key),
// then (delay / 200, 3). Flag 0x01 for a press, 0x81 for a release. The device takes two steps
// for an action whose delay exceeds 1280 ms.
TEST(MacroReport, LongDelayBoundariesInEntriesAndSteps) {
    struct Row { std::uint8_t kind; std::uint16_t delayMs; Report entries; int steps; };
    const Row rows[] = {  // the entries, then the zero after them
        {kPress, 10, {0x01, 4, 0}, 1}, {kPress, 1265, {0x7F, 4, 0}, 1}, {kPress, 1270, {0x7F, 4, 0}, 1},
        {kRelease, 1270, {0xFF, 4, 0}, 1}, {kPress, 1271, {0x07, 4, 6, 3, 0}, 1}, {kRelease, 1271, {0x87, 4, 6, 3, 0}, 1},
        {kPress, 1280, {0x09, 4, 6, 3, 0}, 1}, {kPress, 1281, {0x09, 4, 6, 3, 0}, 2}, {kPress, 1400, {0x01, 4, 7, 3, 0}, 2},
        {kPress, 65535, {0x0F, 4, 71, 3, 0}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.delayMs);
        ButtonRecord button{};
        BindMacro(button, {{4, row.kind, row.delayMs}});
        const Report report = EncodeMacroReport(1, button);
        EXPECT_EQ(report[8], row.entries.size() / 2) << "entry count";
        EXPECT_EQ(Slice(report, 9, row.entries.size()), row.entries);
        EXPECT_EQ(MacroStepCount(button.macro_actions, 1), row.steps);
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

    MacroRecord macro{};  // step counts outside 0..46 are clipped to the slots
    macro.actions[1].delay_ms = 1280;
    macro.actions[2].delay_ms = 1281;
    for (auto [count, steps] : {std::pair{3, 4}, {0, 0}, {1000, 47}, {-5, 0}}) {
        macro.action_count = count;
        EXPECT_EQ(MacroStepCount(macro), steps) << count;
    }
}

// Change detection byte by byte: a change to any byte of a section's field marks that section and
// no other; a change anywhere outside the sections marks nothing.
enum Section { kNone, kDpi, kPolling, kLighting, kButtons };
struct SectionField {
    const char* name;
    std::size_t offset, size;
    Section section;
};
constexpr SectionField kFields[] = {  // offsets and sizes in the 32976-byte profile record
    {"dpi_option_c", 2224, 4, kDpi},       {"dpi_option_a", 2228, 4, kDpi},         {"dpi_option_b", 2232, 4, kDpi},
    {"dpi_value", 2244, 32, kDpi},         {"dpi_value_y", 2276, 32, kDpi},         {"stage_enabled", 2308, 32, kDpi},
    {"brightness", 2340, 4, kLighting},    {"breath_speed", 2344, 4, kLighting},    {"sleep_timer", 2348, 4, kLighting},
    {"current_stage", 2352, 4, kDpi},      {"polling_rate", 2356, 4, kPolling},     {"light_effect", 2364, 4, kLighting},
    {"light_effect_ble", 2368, 4, kLighting}, {"light_option", 2376, 4, kLighting}, {"light_color", 2380, 4, kLighting},
    {"stage_color", 2384, 32, kDpi},       {"buttons", 2448, 30528, kButtons},
};
static_assert(sizeof(ProfileRecord) == 32976);

TEST(ChangeDetection, EachByteMarksOnlyTheSectionOfItsField) {
    const auto snapshot = Profile(), current = Profile();
    EXPECT_EQ(DetectChanges(*current, *snapshot), SectionChanges{});
    auto* bytes = reinterpret_cast<unsigned char*>(current.get());
    int outside = 0;
    for (std::size_t offset = 0; offset < sizeof(ProfileRecord); ++offset) {
        const SectionField* field = nullptr;
        for (const SectionField& f : kFields)
            field = offset >= f.offset && offset < f.offset + f.size ? &f : field;
        const Section section = field ? field->section : kNone;
        outside += section == kNone;
        bytes[offset] ^= 0x5A;
        const SectionChanges found = DetectChanges(*current, *snapshot);
        bytes[offset] ^= 0x5A;
        ASSERT_EQ(found, (SectionChanges{section == kDpi, section == kPolling, section == kLighting, section == kButtons}))
            << "byte " << offset << (field ? " of " : " outside the sections") << (field ? field->name : "");
    }
    // name, both reserved texts and the fields up to dpi_option_c, the gap after dpi_option_b,
    // move_mode, reserved_byte_2 with its padding, reserved_colors.
    EXPECT_EQ(outside, 2224 + 8 + 4 + 4 + 32);
}

TEST(ApplyReports, FullSendOrderWithTwoMacroButtonsAndOnlyChangedSectionsOtherwise) {
    auto profile = Profile();
    BindMacro(profile->buttons[7], {{4, kPress, 10}});
    BindMacro(profile->buttons[3], {{5, kPress, 10}});
    const std::vector<Report> reports = ApplyReports(*profile, *profile, true);
    ASSERT_EQ(reports.size(), 6u);
    // commands in send order, then macro number and first key of both macro reports: button 3's first
    EXPECT_EQ(Bytes({reports[0][0], reports[1][0], reports[2][0], reports[3][0], reports[4][0], reports[5][0], reports[3][2],
                     reports[3][10], reports[4][2], reports[4][10]}), Bytes({4, 5, 6, 9, 9, 8, 1, 5, 2, 4}));
    auto current = Profile();
    EXPECT_TRUE(ApplyReports(*current, *Profile(), false).empty());
    current->polling_rate = 3;
    EXPECT_EQ(ApplyReports(*current, *Profile(), false), std::vector<Report>{EncodePollingReport(*current)});
}

// Crafted records hold any 32-bit value. The reports carry the low byte of the wrapped result, and
// computing it must not overflow (the sanitizer build aborts on signed overflow).
TEST(CraftedRecords, ExtremeFieldsGiveTheWrappedLowByte) {
    auto profile = Profile();
    struct Case { std::int32_t stage, speed; int stageByte, speedByte; };
    for (const Case& c : {Case{INT32_MAX, INT32_MIN, 0x00, 0x09}, Case{-1, INT32_MAX, 0x00, 0x0A},
                          Case{INT32_MIN, -247, 0x01, 0x00}, Case{0, 9, 1, 0}, Case{7, 0, 8, 9}}) {
        profile->current_stage = c.stage;
        profile->breath_speed = c.speed;
        EXPECT_EQ(std::pair(int(EncodeDpiReport(*profile)[24]), int(EncodeLightingReport(*profile)[4])),
                  std::pair(c.stageByte, c.speedByte)) << c.stage << " " << c.speed;
    }
    for (std::int32_t value : {INT32_MIN, -1, INT32_MAX}) {
        std::fill(std::begin(profile->dpi_value), std::end(profile->dpi_value), value);
        profile->dpi_option_a = profile->dpi_option_b = profile->brightness = profile->sleep_timer = value;
        profile->light_effect = profile->light_effect_ble = value;
        EXPECT_EQ(std::pair(EncodeDpiReport(*profile).size(), EncodeLightingReport(*profile).size()), std::pair(56ul, 15ul));
    }
}

}  // namespace
