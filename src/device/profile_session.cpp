#include "device/profile_session.h"

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"

ProfileSession::ProfileSession(const QString& dataFolder) : m_dataFolder(dataFolder)
{
    m_state.header = std::make_unique<StoreHeader>();
    *m_state.header = {};
    m_state.appliedSnapshot = std::make_unique<ProfileRecord>();
    *m_state.appliedSnapshot = {};
}

QString ProfileSession::DataFolder() const
{
    return m_dataFolder.isEmpty() ? GetDataFolder() : m_dataFolder;
}

void ProfileSession::Load(StoreLoadResult* profileResult, StoreLoadResult* macroResult)
{
    std::lock_guard lock(m_mutex);
    const StoreLoadResult profiles = LoadProfileStore(m_state.profiles, *m_state.header, DataFolder());
    const StoreLoadResult macros = LoadMacroStore(m_state.macros, DataFolder());
    m_state.fullSend = true;
    *m_state.appliedSnapshot = m_state.Current();
    if (profileResult)
        *profileResult = profiles;
    if (macroResult)
        *macroResult = macros;
}

bool ProfileSession::SaveProfilesLocked(const State& state) const
{
    return SaveProfileStore(state.profiles, *state.header, DataFolder());
}

bool ProfileSession::SaveProfiles()
{
    std::lock_guard lock(m_mutex);
    return SaveProfilesLocked(m_state);
}
