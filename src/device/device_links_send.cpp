// Sending: which link takes a report, how the cable takes a macro, and the pause after each.
#include <array>

#include "device/device_clock.h"
#include "device/device_links.h"

namespace {
constexpr std::size_t kCablePacketBytes = 64;
constexpr std::size_t kCableMacroChunk = 60;
}  // namespace

std::optional<int> DeviceLinks::SendOverCable(const Report& report)
{
    if (report.empty() || report[0] != ReportCommand::kMacro) {
        const int result = m_cable.functions.SetFeature(report.data(), std::int32_t(report.size()));
        if (result == 0)
            return std::nullopt;
        m_clock.Pause(kReportPauseMs);
        return result;
    }
    // The cable takes at most 64 bytes: the macro goes in two halves of 60 bytes each (report
    // bytes 3..62 and 63..122).
    std::array<int, 2> results{};
    for (std::size_t half = 0; half < 2; ++half) {
        std::array<std::uint8_t, kCablePacketBytes> packet{};
        packet[0] = ReportCommand::kMacro;
        packet[1] = kCablePacketBytes;
        packet[2] = report[2];
        packet[3] = std::uint8_t(half);
        const std::size_t from = 3 + kCableMacroChunk * half;
        for (std::size_t i = 0; i < kCableMacroChunk && from + i < report.size(); ++i)
            packet[4 + i] = report[from + i];
        results[half] = m_cable.functions.SetFeature(packet.data(), std::int32_t(packet.size()));
        if (results[half] != 0)
            m_clock.Pause(kMacroHalfPauseMs);
    }
    if (results[0] == 0 && results[1] == 0)
        return std::nullopt;
    // Taken in part or whole: the cable had it, no other link is tried.
    if (results[1] != 0)
        m_clock.Pause(kReportPauseMs);
    return results[1];
}

int DeviceLinks::SendReport(const Report& report)
{
    if (m_cable.state == LinkState::Open && m_cable.Usable()) {
        if (const std::optional<int> result = SendOverCable(report))
            return *result;
    }
    // The receiver carries reports only while the mouse is online behind it.
    if (m_receiver.state == LinkState::Open && m_mouseOnline && m_receiver.Usable()) {
        const int result = m_receiver.functions.SetFeature(report.data(), std::int32_t(report.size()));
        if (result != 0) {
            m_clock.Pause(kReportPauseMs);
            return result;
        }
    }
    int result = 0;
    if (m_blePresent && m_bleWriter)
        result = m_bleWriter(report);
    if (result != 0)
        m_clock.Pause(kReportPauseMs);
    return result;
}
