#pragma once

#include <QString>
#include <array>
#include <cstdint>

class KeyboardLayout;

// Keys are stored as HID keyboard usages (page 0x07), as the mouse replays them; the desktop
// reports virtual keys. One table pairs virtual key, usage and set-1 scan code; the same byte
// space carries the mouse-button codes 241..245 that macros use.
struct KeyCodeRow {
    std::uint32_t virtualKey;
    std::uint32_t usage;
    std::uint32_t scanCode;  // 0: none
};

constexpr int kKeyCodeRowCount = 113;
extern const std::array<KeyCodeRow, kKeyCodeRowCount> KeyCodeTable;

namespace MouseButtonCode {
constexpr std::uint8_t kLeft = 241;
constexpr std::uint8_t kRight = 242;
constexpr std::uint8_t kMiddle = 243;
constexpr std::uint8_t kBackward = 244;
constexpr std::uint8_t kForward = 245;
}  // namespace MouseButtonCode

struct UsageLookup {
    bool found = false;
    std::uint8_t code = 0;  // 0 for a virtual key without a row
};

// Letters, digits, punctuation and F-keys are stored by where they sit on the keyboard, not by
// what the layout prints on them: AZERTY's "A" key (virtual key 0x41) gives the usage of the US
// "Q" position.
UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey);
UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey, const KeyboardLayout& layout);

// The text shown for a key code: the layout's character for letters, digits and punctuation, a
// language text for the others, empty for codes without a name.
QString UsageName(std::uint8_t code);
QString UsageName(std::uint8_t code, const KeyboardLayout& layout);

// The text shown for a virtual key: a language text for named keys, else what the key types with
// no modifier held, letters in capitals.
QString VirtualKeyName(std::uint32_t virtualKey);
QString VirtualKeyName(std::uint32_t virtualKey, const KeyboardLayout& layout);
