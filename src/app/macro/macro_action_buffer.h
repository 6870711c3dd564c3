#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/macro/macro_record.h"

// The editor's working copy of one macro's actions, with where the user stands in it: the
// selected action, where the next recorded or inserted action goes, and how the list shows.
// Widget-free, so every rule of the action list can be checked on its own.
class MacroActionBuffer {
public:
    static constexpr int kStepLimit = 47;       // what the mouse can hold of one macro
    static constexpr std::uint16_t kMinDelayMs = 10;
    static constexpr std::uint16_t kMaxDelayMs = 65535;
    // What the last action shows and keeps as its delay.
    static constexpr std::uint16_t kLastDelayMs = 10;

    std::array<MacroActionSlot, MacroActionLimit> actions{};
    int count = 0;
    int selected = -1;                // the action picked in the list; -1 none
    int insertPosition = -1;          // where the next action goes; -1 appends
    int recordingStartPosition = -1;  // the insert position when recording started
    bool insertMode = false;          // the last change inserted in the middle

    void LoadFrom(const MacroRecord& record);
    void StoreInto(MacroRecord& record) const;
    // Empties every slot; the positions are the caller's.
    void Clear();

    int StepCount() const { return MacroStepCount(actions.data(), count); }
    bool Contains(int index) const { return index >= 0 && index < count; }
    bool IsLast(int index) const { return index == count - 1; }

    // Puts the slot at the insert position (appends when it is -1); the selection and the insert
    // position follow it. False, changing nothing, when every slot is taken.
    bool InsertAction(const MacroActionSlot& slot);
    // Exchanges all four bytes of two actions.
    void Swap(int a, int b);
    // Removes one action; the ones after it move up.
    void Remove(int index);

    // The delay a row shows: the last action always shows 10 whatever its slot holds.
    std::uint16_t ShownDelay(int index) const;

    // The delay typed into a delay field: its leading decimal number (0 when it has none), at
    // least 10 and at most 65535. Very long numbers saturate instead of wrapping.
    static std::uint16_t ParseDelay(const QString& text);
    // The leading decimal number of a field, saturated; 0 without one.
    static long long LeadingNumber(const QString& text);
};
