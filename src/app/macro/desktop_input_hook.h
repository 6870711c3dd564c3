#pragma once

#include "app/macro/macro_input_hook.h"
#include "app/macro/window_input_hook.h"

class QWidget;

// The input-hook library the main window loaded, standing in with the editor's own window where
// the library is missing or the desktop lets no program watch all input (a Wayland session): then
// the same messages come from the window's own keys and clicks.
class DesktopInputHook final : public MacroInputHook {
public:
    // The table may be absent or empty.
    explicit DesktopInputHook(const HookTable* table);

    void SetWindow(QWidget* window) { m_window.SetWindow(window); }
    // Asks the library once, before any capture, whether it can see the whole desktop.
    bool Probe(const KarvoPostTarget* target);

    bool IsGlobal() const override { return m_global; }
    void InstallHook(const KarvoPostTarget* target) override;
    void RemoveHook() override;
    void EnableHook(std::uint32_t enable) override;
    void RemoveMouseHook() override;
    void EnableMouseHook(std::uint32_t enable) override;
    void MouseWheelEnable(std::uint32_t enable) override;

private:
    const HookTable* m_table;
    WindowInputHook m_window{nullptr};
    bool m_global = false;
};
