#pragma once

#include <QString>
#include <cstdint>
#include <memory>

// What the key tables need from the user's keyboard layout: where a virtual key sits (its set-1
// scan code), which virtual key sits at a scan code, and what a key types with no modifier held.
// Built-in US and French AZERTY layouts serve tests and machines without a layout service; an
// adapter over the desktop's real layout plugs in the same way.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // 0 when the layout has no key for the virtual key.
    virtual std::uint32_t VirtualKeyToScanCode(std::uint32_t virtualKey) const = 0;
    // 0 when no key of the layout sits at the scan code.
    virtual std::uint32_t ScanCodeToVirtualKey(std::uint32_t scanCode) const = 0;
    // The characters the key types with no modifier held (a dead key gives its own character);
    // empty when it types none.
    virtual QString KeyText(std::uint32_t virtualKey) const = 0;
};

// The layout the key tables use; the built-in US layout until another is installed.
std::shared_ptr<const KeyboardLayout> CurrentKeyboardLayout();
void SetKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout);
