#pragma once

#include <cstdint>

#include "karvo_post_target.h"

struct HookTable;

// The calls the macro editor makes to see key and mouse-button input, in the input-hook library's
// terms. Events come back as UM_HOOK_INPUT through the post target given to InstallHook.
class MacroInputHook {
public:
    virtual ~MacroInputHook() = default;

    // True when input anywhere on the desktop is seen; false when only the editor's own window is.
    virtual bool IsGlobal() const = 0;
    virtual void InstallHook(const KarvoPostTarget* target) = 0;
    virtual void RemoveHook() = 0;
    virtual void EnableHook(std::uint32_t enable) = 0;
    virtual void RemoveMouseHook() = 0;
    virtual void EnableMouseHook(std::uint32_t enable) = 0;
    virtual void MouseWheelEnable(std::uint32_t enable) = 0;
};
