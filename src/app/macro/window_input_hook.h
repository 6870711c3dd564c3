#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <cstdint>

#include "app/macro/macro_input_hook.h"

class QKeyEvent;
class QMouseEvent;

// Where the desktop's input cannot be watched, the editor's own window stands in for the hook
// library: while installed and enabled, its key presses and releases (and, with the mouse part
// on, its mouse-button presses and releases) are posted as the same UM_HOOK_INPUT messages, with
// the same virtual-key codes. Input elsewhere on the desktop is not seen.
class WindowInputHook final : public QObject, public MacroInputHook {
public:
    explicit WindowInputHook(QWidget* window);
    ~WindowInputHook() override;

    // The window whose input is watched, once it exists.
    void SetWindow(QWidget* window) { m_window = window; }

    bool IsGlobal() const override { return false; }
    void InstallHook(const KarvoPostTarget* target) override;
    void RemoveHook() override;
    void EnableHook(std::uint32_t enable) override;
    void RemoveMouseHook() override;
    void EnableMouseHook(std::uint32_t enable) override;
    void MouseWheelEnable(std::uint32_t) override {}

    // The virtual-key code of a key event, as the hook library would report it; 0 for a key
    // without one.
    static std::uint32_t VirtualKeyOf(const QKeyEvent& event);
    // The UM_HOOK_INPUT parameters of a mouse-button event; false for buttons the hook leaves out.
    static bool MouseMessageOf(const QMouseEvent& event, std::uintptr_t& wParam, std::intptr_t& lParam);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch();
    void Post(std::uintptr_t wParam, std::intptr_t lParam);

    QPointer<QWidget> m_window;
    QPointer<QWindow> m_watched;
    const KarvoPostTarget* m_target = nullptr;
    bool m_keysOn = false;
    bool m_mouseOn = false;
};
