#include "app/shell/hook_library.h"

#include <QLoggingCategory>

#include <type_traits>

#include "core/platform/dynamic_library.h"
#include "karvo_hook.h"

Q_LOGGING_CATEGORY(lcHook, "karvo.app.hook")

static_assert(std::is_same_v<HookTable::NoArgument, Karvo_removemousehook>);
static_assert(std::is_same_v<HookTable::Flag, Karvo_enablehook>);
static_assert(std::is_same_v<HookTable::Target, Karvo_installhook>);

bool HookTable::IsEmpty() const
{
    return !installmousehook && !removemousehook && !enablemousehook && !installhook && !removehook
           && !enablehook && !mousewheelenable;
}

void HookTable::RemoveMouseHook() const
{
    if (removemousehook)
        removemousehook();
}

void HookTable::EnableMouseHook(std::uint32_t enable) const
{
    if (enablemousehook)
        enablemousehook(enable);
}

bool HookTable::InstallHook(const KarvoPostTarget* target) const
{
    return installhook && installhook(target) != 0;
}

void HookTable::RemoveHook() const
{
    if (removehook)
        removehook();
}

void HookTable::EnableHook(std::uint32_t enable) const
{
    if (enablehook)
        enablehook(enable);
}

void HookTable::MouseWheelEnable(std::uint32_t enable) const
{
    if (mousewheelenable)
        mousewheelenable(enable);
}

HookLibrary::HookLibrary() = default;

HookLibrary::~HookLibrary()
{
    Free();
}

bool HookLibrary::Load(const QString& folder)
{
    QString error;
    m_library = DynamicLibrary::Load(folder + QLatin1String(kFileName), &error);
    if (!m_library) {
        qCInfo(lcHook) << "no input hooks:" << error;
        return false;
    }
    m_table.installmousehook = m_library->ResolveAs<HookTable::NoArgument>(HookTable::kExportNames[0]);
    m_table.removemousehook = m_library->ResolveAs<HookTable::NoArgument>(HookTable::kExportNames[1]);
    m_table.enablemousehook = m_library->ResolveAs<HookTable::Flag>(HookTable::kExportNames[2]);
    m_table.installhook = m_library->ResolveAs<HookTable::Target>(HookTable::kExportNames[3]);
    m_table.removehook = m_library->ResolveAs<HookTable::NoArgument>(HookTable::kExportNames[4]);
    m_table.enablehook = m_library->ResolveAs<HookTable::Flag>(HookTable::kExportNames[5]);
    m_table.mousewheelenable = m_library->ResolveAs<HookTable::Flag>(HookTable::kExportNames[6]);
    return true;
}

void HookLibrary::Free()
{
    if (!m_library)
        return;
    m_table.RemoveMouseHook();
    m_table.RemoveHook();
    m_table = {};
    m_library.reset();
}
