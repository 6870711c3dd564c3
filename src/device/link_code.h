#pragma once

#include <cstdint>

// Link event codes as the page receives them: (event code << 16) | value for the mouse's events,
// 0x7F000000 | 1 or 2 for a link's arrival or removal, 0x7F000000 alone for a link message with
// any other state.
namespace LinkCode {
constexpr std::uint32_t kLinkBase = 0x7F000000;
constexpr std::uint32_t kArrived = 0x7F000001;
constexpr std::uint32_t kRemoved = 0x7F000002;

constexpr std::uint32_t FromEvent(std::uintptr_t eventCode, std::intptr_t value)
{
    return std::uint32_t(eventCode) << 16 | (std::uint32_t(value) & 0xFFFF);
}

constexpr std::uint32_t FromLink(std::uintptr_t state)
{
    return state == 1 ? kArrived : state == 0 ? kRemoved : kLinkBase;
}

constexpr std::uint16_t High(std::uint32_t code)
{
    return std::uint16_t(code >> 16);
}

constexpr std::uint16_t Low(std::uint32_t code)
{
    return std::uint16_t(code & 0xFFFF);
}
}  // namespace LinkCode
