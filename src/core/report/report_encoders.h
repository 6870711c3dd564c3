#pragma once

#include <array>
#include <cstdint>

#include "core/report/report.h"

struct ButtonRecord;
struct ProfileRecord;

constexpr int kMacroButtonCount = 12;  // buttons 0..11 can carry a macro
// The number each of buttons 0..11 gives its macro in one apply: 1, 2, ... in button order; 0 for
// buttons without a macro.
using MacroNumbers = std::array<std::uint8_t, kMacroButtonCount>;

Report EncodeDpiReport(const ProfileRecord& profile);
Report EncodeLightingReport(const ProfileRecord& profile);
Report EncodePollingReport(const ProfileRecord& profile);
Report EncodeButtonReport(const ProfileRecord& profile, const MacroNumbers& macroNumbers);
Report EncodeMacroReport(std::uint8_t macroNumber, const ButtonRecord& button);

MacroNumbers AssignMacroNumbers(const ProfileRecord& profile);

// The sensor value of a DPI stage and whether it uses the high range (above 2400 DPI).
struct SensorValue {
    std::uint8_t value;
    bool highRange;
};
SensorValue DpiSensorValue(std::int32_t dpiValue);
