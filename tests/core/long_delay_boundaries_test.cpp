// Where a delay stops being short: in the macro report (one entry up to 1270 ms, a long-delay
// entry from 1271 ms on) and in the device step count (two steps from 1281 ms on).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/report/report_encoders.h"

namespace {

constexpr std::uint8_t kKey = 0x04;
constexpr std::uint8_t kPress = 1;
constexpr std::uint8_t kRelease = 2;

struct EncodedDelay {
    const char* name;
    std::uint8_t kind;
    std::uint16_t delayMs;
    std::vector<int> entries;  // the report's entry bytes, in order
};

void PrintTo(const EncodedDelay& row, std::ostream* os)
{
    *os << row.name;
}

class MacroEntryDelay : public ::testing::TestWithParam<EncodedDelay> {};

TEST_P(MacroEntryDelay, Entries)
{
    const EncodedDelay& row = GetParam();
    ButtonRecord button{};
    button.function = 17;
    button.macro_action_count = 1;
    button.macro_actions[0] = {kKey, row.kind, row.delayMs};
    const Report report = EncodeMacroReport(1, button);
    ASSERT_EQ(report.size(), 131u);
    EXPECT_EQ(report[8], row.entries.size() / 2) << "entry count";
    std::vector<int> entries(report.begin() + 9, report.begin() + 9 + std::ptrdiff_t(row.entries.size()));
    EXPECT_EQ(entries, row.entries);
    EXPECT_EQ(report[9 + row.entries.size()], 0);
}

// Short: (tenths of the delay OR flag, key). Long: (tenths of the delay modulo 200 OR flag, key),
// then (delay / 200, 3). Flag 0x01 for a press, 0x81 for a release.
INSTANTIATE_TEST_SUITE_P(
    Boundary, MacroEntryDelay,
    ::testing::Values(EncodedDelay{"press_1265_rounds_up", kPress, 1265, {0x7F, kKey}},
                      EncodedDelay{"press_1270_short", kPress, 1270, {0x7F, kKey}},
                      EncodedDelay{"release_1270_short", kRelease, 1270, {0xFF, kKey}},
                      EncodedDelay{"press_1271_long", kPress, 1271, {0x07, kKey, 6, 3}},
                      EncodedDelay{"release_1271_long", kRelease, 1271, {0x87, kKey, 6, 3}},
                      EncodedDelay{"press_1280_long", kPress, 1280, {0x09, kKey, 6, 3}},
                      EncodedDelay{"press_1281_long", kPress, 1281, {0x09, kKey, 6, 3}},
                      EncodedDelay{"press_1400_remainder_zero", kPress, 1400, {0x01, kKey, 7, 3}},
                      EncodedDelay{"press_65535", kPress, 65535, {0x0F, kKey, 71, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

struct StepDelay {
    const char* name;
    std::uint16_t delayMs;
    int steps;
};

void PrintTo(const StepDelay& row, std::ostream* os)
{
    *os << row.name;
}

class MacroStepDelay : public ::testing::TestWithParam<StepDelay> {};

TEST_P(MacroStepDelay, Steps)
{
    MacroActionSlot actions[MacroActionLimit]{};
    actions[0] = {kKey, kPress, GetParam().delayMs};
    EXPECT_EQ(MacroStepCount(actions, 1), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Boundary, MacroStepDelay,
                         ::testing::Values(StepDelay{"ms_10", 10, 1}, StepDelay{"ms_1270", 1270, 1},
                                           StepDelay{"ms_1271", 1271, 1}, StepDelay{"ms_1280", 1280, 1},
                                           StepDelay{"ms_1281", 1281, 2}, StepDelay{"ms_65535", 65535, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
