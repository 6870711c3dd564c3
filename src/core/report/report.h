#pragma once

#include <cstdint>
#include <vector>

// A report to the mouse: byte 0 is the command, byte 1 the total length, byte 2 is 1 (the macro
// report carries its macro number there). The same bytes go over cable, receiver and Bluetooth LE.
using Report = std::vector<std::uint8_t>;

namespace ReportCommand {
constexpr std::uint8_t kDpi = 0x04;
constexpr std::uint8_t kLighting = 0x05;
constexpr std::uint8_t kPolling = 0x06;
constexpr std::uint8_t kButtons = 0x08;
constexpr std::uint8_t kMacro = 0x09;
}  // namespace ReportCommand

namespace ReportLength {
constexpr std::size_t kDpi = 56;
constexpr std::size_t kLighting = 15;
constexpr std::size_t kPolling = 9;
constexpr std::size_t kButtons = 59;
constexpr std::size_t kMacro = 131;
}  // namespace ReportLength

// A zero-filled report with its command, length and third byte set.
inline Report NewReport(std::uint8_t command, std::size_t length, std::uint8_t thirdByte = 1)
{
    Report report(length, 0);
    report[0] = command;
    report[1] = std::uint8_t(length);
    report[2] = thirdByte;
    return report;
}
