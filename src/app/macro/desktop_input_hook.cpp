#include "app/macro/desktop_input_hook.h"

#include <QLoggingCategory>

#include "app/shell/hook_library.h"

Q_LOGGING_CATEGORY(lcInputHook, "karvo.macro.hook")

DesktopInputHook::DesktopInputHook(const HookTable* table) : m_table(table) {}

bool DesktopInputHook::Probe(const KarvoPostTarget* target)
{
    m_global = m_table && m_table->InstallHook(target);
    if (m_table)
        m_table->RemoveHook();
    if (!m_global)
        qCInfo(lcInputHook) << "no global input capture: recording sees the editor's own window only";
    return m_global;
}

void DesktopInputHook::InstallHook(const KarvoPostTarget* target)
{
    const bool global = m_table && m_table->InstallHook(target);
    if (global != m_global)
        qCInfo(lcInputHook) << "global input capture" << (global ? "available" : "unavailable") << "now";
    m_global = global;
    // Only one of the two ever posts, so no event arrives twice.
    if (m_global)
        m_window.RemoveHook();
    else
        m_window.InstallHook(target);
}

void DesktopInputHook::RemoveHook()
{
    if (m_table)
        m_table->RemoveHook();
    m_window.RemoveHook();
}

void DesktopInputHook::EnableHook(std::uint32_t enable)
{
    if (m_table)
        m_table->EnableHook(enable);
    m_window.EnableHook(enable);
}

void DesktopInputHook::RemoveMouseHook()
{
    if (m_table)
        m_table->RemoveMouseHook();
    m_window.RemoveMouseHook();
}

void DesktopInputHook::EnableMouseHook(std::uint32_t enable)
{
    if (m_table)
        m_table->EnableMouseHook(enable);
    m_window.EnableMouseHook(enable);
}

void DesktopInputHook::MouseWheelEnable(std::uint32_t enable)
{
    if (m_table)
        m_table->MouseWheelEnable(enable);
}
