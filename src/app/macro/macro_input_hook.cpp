#include "app/macro/macro_input_hook.h"

#include <QGuiApplication>

#include "app/shell/hook_library.h"

void HookTableInput::InstallHook(const KarvoPostTarget* target)
{
    m_table.InstallHook(target);
}

void HookTableInput::RemoveHook()
{
    m_table.RemoveHook();
}

void HookTableInput::EnableHook(std::uint32_t enable)
{
    m_table.EnableHook(enable);
}

void HookTableInput::RemoveMouseHook()
{
    m_table.RemoveMouseHook();
}

void HookTableInput::EnableMouseHook(std::uint32_t enable)
{
    m_table.EnableMouseHook(enable);
}

void HookTableInput::MouseWheelEnable(std::uint32_t enable)
{
    m_table.MouseWheelEnable(enable);
}

bool GlobalCaptureAvailable(const HookTable* table)
{
    if (!table || !table->installhook || !table->enablehook || !table->removehook)
        return false;
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
