#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "ui/window_impl_base.h"

struct HookTable;
class LocalKeyCapture;
class QAbstractButton;
class QLineEdit;
class WindowPostTarget;

// The modal picker of a key combination: Ctrl, Shift, Alt and Win as check boxes, and the key,
// taken from the keyboard while the key field has the focus. Keys come through the input-hook
// library when it is there, and from the field's own key events when it is not. The caller sets
// the state before the window is created and reads it back after it closes.
class CShortcutWnd final : public WindowImplBase {
public:
    enum Flag { kCtrl, kShift, kAlt, kWin, kFlagCount };

    CShortcutWnd();
    ~CShortcutWnd() override;

    QString WindowClassName() const override { return QStringLiteral("ShortcutWnd"); }
    QString SkinFileName() const override { return QStringLiteral("shortcut.xml"); }
    void Notify(TNotifyUI& msg) override;

    void SetFlag(Flag flag, bool set) { m_flags[flag] = set; }
    bool FlagSet(Flag flag) const { return m_flags[flag]; }
    // The flags as a button record keeps them: Ctrl 1, Shift 2, Alt 4, Win 8.
    void SetModifiers(std::uint8_t modifiers);
    std::uint8_t Modifiers() const;
    // A HID keyboard usage; 0 for none.
    void SetKey(std::uint8_t usage) { m_key = usage; }
    std::uint8_t Key() const { return m_key; }
    void SetHookTable(const HookTable* hooks) { m_hooks = hooks; }
    // True when keys come from the field itself: there is no input hook, or it said it cannot
    // capture the desktop's input.
    bool CapturesLocally() const { return m_localCapture; }

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool ListensForKeys() const override { return m_capturing; }

private:
    void OnKeyInput(std::uint32_t virtualKey, bool released);
    void StartCapture();
    void StopCapture();
    void CaptureLocally();

    std::array<bool, kFlagCount> m_flags{};
    std::uint8_t m_key = 0;
    const HookTable* m_hooks = nullptr;
    bool m_capturing = false;
    bool m_localCapture = false;

    std::array<QAbstractButton*, kFlagCount> m_flagBoxes{};
    QLineEdit* m_keyEdit = nullptr;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_exitButton = nullptr;
    std::unique_ptr<WindowPostTarget> m_postTarget;
};
