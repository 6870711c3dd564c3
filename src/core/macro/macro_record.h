#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class QString;

constexpr int MacroActionLimit = 46;  // actions per macro
constexpr int kMacroNameUnits = 24;  // 23 characters plus terminator

enum class MacroActionKind : std::uint8_t { Press = 1, Release = 2 };

// One step of a macro: a key code (HID usage, or 241..245 for mouse buttons), press or release,
// and the pause after it.
struct MacroActionSlot {
    std::uint8_t key_code;
    std::uint8_t kind;
    std::uint16_t delay_ms;
};
static_assert(sizeof(MacroActionSlot) == 4);

// A macro: the same 240 bytes in memory, in macro.data and in a *.macro file.
struct MacroRecord {
    char16_t name[kMacroNameUnits];
    std::int32_t button_parameter;  // set only by profile import; kept as read
    std::int32_t action_count;      // 0..46
    MacroActionSlot actions[MacroActionLimit];
};
static_assert(sizeof(MacroRecord) == 240);
static_assert(offsetof(MacroRecord, name) == 0);
static_assert(offsetof(MacroRecord, button_parameter) == 48);
static_assert(offsetof(MacroRecord, action_count) == 52);
static_assert(offsetof(MacroRecord, actions) == 56);

// Actions beyond this delay take a second step on the mouse.
constexpr int kLongDelayMs = 1280;

// The steps the mouse needs for a macro: one per action, two for an action whose delay exceeds
// 1280 ms. A count outside 0..46 is taken as clipped to the slots that exist.
int MacroStepCount(const MacroActionSlot* actions, int actionCount);
int MacroStepCount(const MacroRecord& record);

// A count that is safe to index the 46 slots with.
int ClippedActionCount(int actionCount);

// A zero-filled macro with the given name (cut to 23 characters).
std::unique_ptr<MacroRecord> CreateMacro(const QString& name);

QString MacroName(const MacroRecord& record);
void SetMacroName(MacroRecord& record, const QString& name);
