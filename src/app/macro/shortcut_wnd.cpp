#include "app/macro/shortcut_wnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QLoggingCategory>
#include <algorithm>

#include "app/macro/key_capture.h"
#include "app/shell/hook_library.h"
#include "app/shell/window_messages.h"
#include "core/keys/key_tables.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/window_post_target.h"

Q_LOGGING_CATEGORY(lcShortcut, "karvo.macro.shortcut")

CShortcutWnd::CShortcutWnd() = default;

CShortcutWnd::~CShortcutWnd()
{
    // The hook must not post to a target that is about to go.
    if (m_postTarget && m_hooks)
        m_hooks->RemoveHook();
}

void CShortcutWnd::SetModifiers(std::uint8_t modifiers)
{
    for (int flag = 0; flag < kFlagCount; ++flag)
        m_flags[flag] = (modifiers >> flag) & 1;
}

std::uint8_t CShortcutWnd::Modifiers() const
{
    std::uint8_t modifiers = 0;
    for (int flag = 0; flag < kFlagCount; ++flag)
        modifiers |= std::uint8_t(m_flags[flag] ? 1 << flag : 0);
    return modifiers;
}

void CShortcutWnd::OnWindowBuilt()
{
    CPaintManagerUI& ui = PaintManager();
    m_okButton = ui.FindControl(QStringLiteral("btn_ok"));
    m_cancelButton = ui.FindControl(QStringLiteral("btn_cancel"));
    m_exitButton = ui.FindControl(QStringLiteral("btn_exit"));
    for (int flag = 0; flag < kFlagCount; ++flag)
        m_flagBoxes[flag] = ui.FindControl<QAbstractButton>(QStringLiteral("check_flag_%1").arg(flag + 1));
    m_keyEdit = ui.FindControl<QLineEdit>(QStringLiteral("edit_key"));
    if (!m_okButton || !m_cancelButton || !m_keyEdit
        || std::find(m_flagBoxes.begin(), m_flagBoxes.end(), nullptr) != m_flagBoxes.end()) {
        qCWarning(lcShortcut) << SkinFileName() << "lacks some of the dialog's controls";
        DestroyWindow();
        return;
    }
    GetHWND()->setWindowTitle(CResourceManager::Instance().GetText(QStringLiteral("shortcut_title_text")));
    for (int flag = 0; flag < kFlagCount; ++flag)
        SetSelected(m_flagBoxes[flag], m_flags[flag], false);
    m_keyEdit->setText(UsageName(m_key));

    if (m_hooks && m_hooks->installhook)
        m_postTarget = std::make_unique<WindowPostTarget>(GetHWND());
    else
        CaptureLocally();
    if (QWidget* note = ui.FindControl(QStringLiteral("shortcut_local_note")))
        note->setVisible(m_localCapture);
    // Taking the key is what the dialog is for: the key field listens from the start. While it
    // does, Escape and Enter are keys like any other (a button may send them); Tab moves on to
    // the boxes and buttons, where they cancel and confirm.
    m_keyEdit->setFocus();
}

void CShortcutWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == NotifyType::kClick) {
        OnClick(msg);
    } else if (msg.sType == NotifyType::kCheckClick) {
        for (int flag = 0; flag < kFlagCount; ++flag) {
            if (msg.pSender == m_flagBoxes[flag])
                m_flags[flag] = m_flagBoxes[flag]->isChecked();
        }
    } else if (msg.sType == NotifyType::kSetFocus && msg.pSender == m_keyEdit) {
        StartCapture();
    } else if (msg.sType == NotifyType::kKillFocus && msg.pSender == m_keyEdit) {
        StopCapture();
    }
}

void CShortcutWnd::OnClick(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    if (msg.pSender == m_okButton)
        Close(1);
    else if (msg.pSender == m_cancelButton || msg.pSender == m_exitButton)
        Close(0);
}

void CShortcutWnd::CaptureLocally()
{
    if (m_localCapture)
        return;
    m_localCapture = true;
    // The field feeds the window the messages the hook would have posted.
    new LocalKeyCapture(m_keyEdit, [this](std::uint32_t virtualKey, bool released) {
        PostMessage(Msg::UM_HOOK_INPUT, WPARAM(virtualKey), released ? 1 : 0);
    });
    if (QWidget* note = PaintManager().FindControl(QStringLiteral("shortcut_local_note")))
        note->setVisible(true);
}

void CShortcutWnd::StartCapture()
{
    m_capturing = true;
    if (!m_postTarget || !m_hooks)
        return;
    if (m_hooks->InstallHook(m_postTarget->Target())) {
        m_hooks->EnableHook(1);
        return;
    }
    // The library is there but cannot see the desktop's keys (a Wayland session, say): a dialog
    // that silently captured nothing would be no use, so the field takes its own keys from now on.
    qCInfo(lcShortcut) << "the input hook cannot capture here; the key field takes its own keys";
    m_hooks->RemoveHook();
    m_postTarget.reset();
    CaptureLocally();
}

void CShortcutWnd::StopCapture()
{
    m_capturing = false;
    if (m_postTarget && m_hooks) {
        m_hooks->RemoveHook();
        m_hooks->EnableHook(0);
    }
}

LRESULT CShortcutWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = false;
    if (message == Msg::UM_HOOK_INPUT)
        OnKeyInput(std::uint32_t(wParam), lParam != 0);
    else if (message == WindowMessage::kDestroy && m_postTarget && m_hooks)
        m_hooks->RemoveHook();
    return 0;
}

void CShortcutWnd::OnKeyInput(std::uint32_t virtualKey, bool released)
{
    qCDebug(lcShortcut, "%x,%x", virtualKey, released ? 1u : 0u);
    // The key is the last one pressed while the field had the focus. A release is no choice (the
    // last release of Ctrl+A would be Ctrl), and a key without a usage would only clear the field.
    if (!m_capturing || released)
        return;
    const UsageLookup usage = VirtualKeyToUsage(virtualKey);
    qCDebug(lcShortcut, "iUsageID=%d", usage.code);
    if (usage.code == 0)
        return;
    m_key = usage.code;
    m_keyEdit->setText(UsageName(m_key));
}
