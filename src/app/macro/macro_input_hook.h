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

// The input-hook library the main window loaded; absent entries are skipped.
class HookTableInput final : public MacroInputHook {
public:
    explicit HookTableInput(const HookTable& table) : m_table(table) {}

    bool IsGlobal() const override { return true; }
    void InstallHook(const KarvoPostTarget* target) override;
    void RemoveHook() override;
    void EnableHook(std::uint32_t enable) override;
    void RemoveMouseHook() override;
    void EnableMouseHook(std::uint32_t enable) override;
    void MouseWheelEnable(std::uint32_t enable) override;

private:
    const HookTable& m_table;
};

// Whether the library can see the desktop's input: its entries are there and the session lets a
// client watch other clients' input (a Wayland session does not).
bool GlobalCaptureAvailable(const HookTable* table);
