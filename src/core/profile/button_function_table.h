#pragma once

#include <QString>
#include <array>
#include <cstdint>

struct ButtonRecord;

// The one table of button function codes: the assignment-menu item that selects a code, the
// language key shown for it and the three bytes the button report carries for it.
namespace ButtonFunction {
constexpr std::uint8_t kOff = 0;
constexpr std::uint8_t kLeftClick = 1;
constexpr std::uint8_t kKeyCombination = 16;
constexpr std::uint8_t kMacro = 17;
}  // namespace ButtonFunction

using DeviceBytes = std::array<std::uint8_t, 3>;

// The code whose menu item matches the name (any letter case); any other name gives left click.
std::uint8_t FunctionFromMenuItem(const QString& menuItem);

// The menu item that selects the code, or an empty string when no menu item does.
QString FunctionMenuItem(std::uint8_t code);

// The language key shown for the code; empty for 16 and 17 (composed by the page) and for codes
// without a text.
QString FunctionDisplayKey(std::uint8_t code);

// The report bytes for the code. Code 16 takes the record's modifiers and key code, code 17 the
// macro number; codes without a row give 0, 0, 0.
DeviceBytes FunctionDeviceBytes(std::uint8_t code, const ButtonRecord& button, std::uint8_t macroNumber);
