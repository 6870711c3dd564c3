#include "core/report/report_encoders.h"

#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"

namespace {

constexpr std::uint32_t kDpiUnit = 40;
constexpr std::uint32_t kHighRangeAboveDpi = 2400;
constexpr std::uint32_t kSensorStepDpi = 38;

// Record fields are signed, the reports carry their low byte. Arithmetic on a field goes through
// std::uint32_t, which wraps instead of overflowing, so a crafted record cannot cause undefined
// behaviour and in-range values keep the low byte they always had.
std::uint8_t LowByte(std::uint32_t value)
{
    return std::uint8_t(value & 0xFF);
}

// Stored colours hold red in byte 0, green in byte 1, blue in byte 2: the wire order.
void PutColor(Report& report, std::size_t offset, std::int32_t color)
{
    const auto value = std::uint32_t(color);
    report[offset] = value & 0xFF;
    report[offset + 1] = (value >> 8) & 0xFF;
    report[offset + 2] = (value >> 16) & 0xFF;
}

// tenths(x): the integer nearest x / 10, halves going up.
std::uint32_t Tenths(std::uint32_t ms)
{
    return (ms + 5) / 10;
}

constexpr std::uint32_t kShortDelayLimitMs = 1270;
constexpr std::uint32_t kLongDelayUnitMs = 200;
constexpr std::uint8_t kLongDelayMarker = 3;
constexpr int kMaxLongDelayEntries = 10;
constexpr std::size_t kMacroEntriesOffset = 9;

}  // namespace

SensorValue DpiSensorValue(std::int32_t dpiValue)
{
    std::uint32_t dpi = std::uint32_t(dpiValue) * kDpiUnit;
    const bool highRange = dpi > kHighRangeAboveDpi;
    if (highRange)
        dpi >>= 1;
    return {std::uint8_t((dpi / kSensorStepDpi) & 0xFF), highRange};
}

Report EncodeDpiReport(const ProfileRecord& profile)
{
    Report report = NewReport(ReportCommand::kDpi, ReportLength::kDpi);
    report[3] = LowByte(profile.dpi_option_a);
    report[4] = LowByte(profile.dpi_option_b);
    std::uint8_t enabledMask = 0;
    std::uint8_t highRangeMask = 0;
    for (int i = 0; i < kDpiStageCount; ++i) {
        if (profile.stage_enabled[i] == 1)
            enabledMask |= std::uint8_t(1u << i);
        const SensorValue sensor = DpiSensorValue(profile.dpi_value[i]);
        if (sensor.highRange)
            highRangeMask |= std::uint8_t(1u << i);
        report[8 + i] = sensor.value;
        report[16 + i] = sensor.value;
        PutColor(report, 25 + 3 * i, profile.stage_color[i]);
    }
    report[5] = enabledMask;
    report[6] = highRangeMask;
    report[7] = highRangeMask;
    report[24] = LowByte(std::uint32_t(profile.current_stage) + 1u);
    report[49] = 1;
    return report;
}

Report EncodeLightingReport(const ProfileRecord& profile)
{
    Report report = NewReport(ReportCommand::kLighting, ReportLength::kLighting);
    report[3] = std::uint8_t((std::uint32_t(profile.light_effect) & 0x0F) << 4) | LowByte(profile.light_effect_ble);
    report[4] = LowByte(9u - std::uint32_t(profile.breath_speed));
    const bool effectUsesBrightness = profile.light_effect == 1 || profile.light_effect == 9;
    report[5] = effectUsesBrightness ? LowByte(profile.brightness) : 8;
    PutColor(report, 6, profile.light_color);
    report[9] = LowByte(profile.sleep_timer);
    report[10] = 1;
    return report;
}

Report EncodePollingReport(const ProfileRecord& profile)
{
    Report report = NewReport(ReportCommand::kPolling, ReportLength::kPolling);
    switch (profile.polling_rate) {
    case 0: report[3] = 8; break;
    case 1: report[3] = 4; break;
    case 3: report[3] = 1; break;
    default: report[3] = 2; break;  // 500 Hz, also for values the mouse does not know
    }
    return report;
}

Report EncodeButtonReport(const ProfileRecord& profile, const MacroNumbers& macroNumbers)
{
    Report report = NewReport(ReportCommand::kButtons, ReportLength::kButtons);
    for (int k = 0; k < kDefaultButtonCount; ++k) {
        const ButtonRecord& button = profile.buttons[k];
        const std::uint8_t macroNumber = k < kMacroButtonCount ? macroNumbers[k] : 0;
        const DeviceBytes bytes = FunctionDeviceBytes(button.function, button, macroNumber);
        for (int b = 0; b < 3; ++b)
            report[3 + 3 * k + b] = bytes[b];
    }
    return report;
}

Report EncodeMacroReport(std::uint8_t macroNumber, const ButtonRecord& button)
{
    Report report = NewReport(ReportCommand::kMacro, ReportLength::kMacro, macroNumber);
    report[3] = LowByte(button.macro_repeat_mode);
    report[4] = report[5] = report[6] = button.macro_option;
    report[7] = button.macro_loop_count == 0 ? 1 : LowByte(button.macro_loop_count);

    // A damaged count never reads past the 46 slots the record has.
    const int actionCount = ClippedActionCount(button.macro_action_count);
    std::size_t offset = kMacroEntriesOffset;
    int longDelayEntries = 0;
    for (int i = 0; i < actionCount; ++i) {
        const MacroActionSlot& action = button.macro_actions[i];
        const std::uint8_t flag = action.kind == std::uint8_t(MacroActionKind::Press) ? 0x01 : 0x81;
        const std::uint32_t delay = action.delay_ms;
        const bool longDelay = delay > kShortDelayLimitMs;
        std::uint32_t shortPart = longDelay ? delay % kLongDelayUnitMs : delay;
        if (shortPart == 0)
            shortPart = 1;
        report[offset++] = std::uint8_t(Tenths(shortPart)) | flag;
        report[offset++] = action.key_code;
        if (longDelay && longDelayEntries < kMaxLongDelayEntries) {
            report[offset++] = std::uint8_t((delay / kLongDelayUnitMs) & 0xFF);
            report[offset++] = kLongDelayMarker;
            ++longDelayEntries;
        }
    }
    report[8] = std::uint8_t((actionCount + longDelayEntries) & 0xFF);
    return report;
}

MacroNumbers AssignMacroNumbers(const ProfileRecord& profile)
{
    MacroNumbers numbers{};
    std::uint8_t next = 1;
    for (int k = 0; k < kMacroButtonCount; ++k) {
        if (profile.buttons[k].function == ButtonFunction::kMacro)
            numbers[k] = next++;
    }
    return numbers;
}
