#include "device/profile_session.h"

#include <QLoggingCategory>
#include <utility>

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"
#include "core/storage/store_pair.h"
#include "device/store_watcher.h"

Q_LOGGING_CATEGORY(lcSession, "karvo.device.session")

ProfileSession::ProfileSession(const QString& dataFolder) : m_dataFolder(dataFolder)
{
    m_state.header = std::make_unique<StoreHeader>();
    *m_state.header = {};
    m_state.appliedSnapshot = std::make_unique<ProfileRecord>();
    *m_state.appliedSnapshot = {};
}

ProfileSession::~ProfileSession()
{
    // The watch thread calls into the session; it ends before anything else goes.
    m_watcher.reset();
}

QString ProfileSession::DataFolder() const
{
    return m_dataFolder.isEmpty() ? GetDataFolder() : m_dataFolder;
}

void ProfileSession::Load(StoreLoadResult* profileResult, StoreLoadResult* macroResult)
{
    std::lock_guard lock(m_mutex);
    const QString folder = DataFolder();
    const StoreLoadResult profiles = LoadProfileStore(m_state.profiles, *m_state.header, folder);
    const StoreLoadResult macros = LoadMacroStore(m_state.macros, folder);
    m_profileTrack = {profiles.outcome != StoreLoadResult::Outcome::Unreadable, StampOf(ProfileStorePath(folder))};
    m_macroTrack = {macros.outcome != StoreLoadResult::Outcome::Unreadable, StampOf(MacroStorePath(folder))};
    m_state.fullSend = true;
    *m_state.appliedSnapshot = m_state.Current();
    if (profileResult)
        *profileResult = profiles;
    if (macroResult)
        *macroResult = macros;
}

bool ProfileSession::CheckProfilesLocked(StoreChanges& changes)
{
    const QString folder = DataFolder();
    const QString path = ProfileStorePath(folder);
    const FileStamp now = StampOf(path);
    if (now == m_profileTrack.stamp)
        return false;
    m_profileTrack.stamp = now;

    QByteArray unused;
    QString reason;
    if (!now.exists && ReadStoreBytes(path, &unused, &reason) == StoreFileState::Missing) {
        qCInfo(lcSession) << path << "was removed; the profiles in memory are written with the next save";
        return false;
    }
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    const StoreLoadResult result =
        now.exists ? LoadProfileStore(profiles, *header, folder)
                   : StoreLoadResult{StoreLoadResult::Outcome::Unreadable, reason, {}, false};
    switch (result.outcome) {
    case StoreLoadResult::Outcome::Unreadable:
        qCWarning(lcSession) << path << "went out of reach:" << result.problem << "- it is no longer written";
        changes.unreadable = changes.unreadable || m_profileTrack.ours;
        m_profileTrack.ours = false;
        return false;
    case StoreLoadResult::Outcome::Missing:
        // Gone between the look and the read: a default store took its place; memory wins.
        m_profileTrack.stamp = StampOf(path);
        return false;
    case StoreLoadResult::Outcome::Repaired:
        m_profileTrack.stamp = StampOf(path);
        break;
    case StoreLoadResult::Outcome::Loaded:
        break;
    }
    qCInfo(lcSession) << path << "changed on disk; profiles read again";
    m_state.profiles = std::move(profiles);
    m_state.header = std::move(header);
    *m_state.appliedSnapshot = m_state.Current();
    m_state.fullSend = true;
    ++m_state.profileReloads;
    m_profileTrack.ours = true;
    changes.profiles = true;
    return true;
}

bool ProfileSession::CheckMacrosLocked(StoreChanges& changes)
{
    const QString folder = DataFolder();
    const QString path = MacroStorePath(folder);
    const FileStamp now = StampOf(path);
    if (now == m_macroTrack.stamp)
        return false;
    m_macroTrack.stamp = now;

    QByteArray unused;
    QString reason;
    if (!now.exists && ReadStoreBytes(path, &unused, &reason) == StoreFileState::Missing) {
        qCInfo(lcSession) << path << "was removed; the macros in memory are written with the next save";
        return false;
    }
    MacroList macros;
    const StoreLoadResult result = now.exists
                                       ? LoadMacroStore(macros, folder)
                                       : StoreLoadResult{StoreLoadResult::Outcome::Unreadable, reason, {}, false};
    switch (result.outcome) {
    case StoreLoadResult::Outcome::Unreadable:
        qCWarning(lcSession) << path << "went out of reach:" << result.problem << "- it is no longer written";
        changes.unreadable = changes.unreadable || m_macroTrack.ours;
        m_macroTrack.ours = false;
        return false;
    case StoreLoadResult::Outcome::Missing:
        return false;
    case StoreLoadResult::Outcome::Repaired:
        m_macroTrack.stamp = StampOf(path);
        break;
    case StoreLoadResult::Outcome::Loaded:
        break;
    }
    qCInfo(lcSession) << path << "changed on disk; macros read again";
    m_state.macros = std::move(macros);
    m_macroTrack.ours = true;
    changes.macros = true;
    return true;
}

ProfileSession::SaveResult ProfileSession::SaveProfilesLocked(State& state)
{
    Q_ASSERT(&state == &m_state);
    // Both stores are looked at: profiles refer to macros by position, so one is never read
    // again without the other being brought up to date too.
    StoreChanges changes;
    const bool reloaded = CheckProfilesLocked(changes);
    CheckMacrosLocked(changes);
    QueueChanges(changes);
    if (reloaded)
        return SaveResult::Reloaded;
    if (!m_profileTrack.ours)
        return SaveResult::NotOurs;
    const QString folder = DataFolder();
    if (!SaveProfileStore(state.profiles, *state.header, folder))
        return SaveResult::Failed;
    m_profileTrack.stamp = StampOf(ProfileStorePath(folder));
    return SaveResult::Saved;
}

ProfileSession::SaveResult ProfileSession::SaveMacrosLocked(State& state)
{
    Q_ASSERT(&state == &m_state);
    StoreChanges changes;
    CheckProfilesLocked(changes);
    const bool reloaded = CheckMacrosLocked(changes);
    QueueChanges(changes);
    if (reloaded)
        return SaveResult::Reloaded;
    if (!m_macroTrack.ours)
        return SaveResult::NotOurs;
    const QString folder = DataFolder();
    if (!SaveMacroStore(state.macros, folder))
        return SaveResult::Failed;
    m_macroTrack.stamp = StampOf(MacroStorePath(folder));
    return SaveResult::Saved;
}

ProfileSession::SaveResult ProfileSession::SaveProfilesAndMacrosLocked(State& state, QString* error)
{
    Q_ASSERT(&state == &m_state);
    StoreChanges changes;
    const bool profilesReloaded = CheckProfilesLocked(changes);
    const bool macrosReloaded = CheckMacrosLocked(changes);
    QueueChanges(changes);
    const QString folder = DataFolder();
    if (profilesReloaded || macrosReloaded) {
        *error = QStringLiteral("the stores in %1 changed on disk and were read again").arg(folder);
        return SaveResult::Reloaded;
    }
    if (!m_profileTrack.ours || !m_macroTrack.ours) {
        *error = QStringLiteral("the stores in %1 could not be read and are left as they are").arg(folder);
        return SaveResult::NotOurs;
    }
    const bool saved = SaveProfileAndMacroStores(state.profiles, *state.header, state.macros, error, folder);
    // Even a failed save may have put macro.data back as a new file with the old bytes.
    m_profileTrack.stamp = StampOf(ProfileStorePath(folder));
    m_macroTrack.stamp = StampOf(MacroStorePath(folder));
    return saved ? SaveResult::Saved : SaveResult::Failed;
}

ProfileSession::SaveResult ProfileSession::SaveProfiles()
{
    return Locked([this](State& state) { return SaveProfilesLocked(state); });
}

ProfileSession::StoreChanges ProfileSession::CheckStores()
{
    return Locked([this](State&) {
        StoreChanges changes;
        CheckProfilesLocked(changes);
        CheckMacrosLocked(changes);
        QueueChanges(changes);
        return changes;
    });
}

void ProfileSession::WatchStores()
{
    const QString folder = DataFolder();
    QString dataFolder = folder;
    while (dataFolder.size() > 1 && dataFolder.endsWith(QLatin1Char('/')))
        dataFolder.chop(1);
    m_watcher = std::make_unique<StoreWatcher>(QStringList{ProfileStorePath(folder), MacroStorePath(folder)},
                                               QStringList{dataFolder, StoreFolderPath(folder)},
                                               [this] { CheckStores(); });
}

void ProfileSession::SetChangeHandler(ChangeHandler handler)
{
    std::lock_guard lock(m_handlerMutex);
    m_changeHandler = std::move(handler);
}

bool ProfileSession::ProfileStoreIsOurs()
{
    std::lock_guard lock(m_mutex);
    return m_profileTrack.ours;
}

bool ProfileSession::MacroStoreIsOurs()
{
    std::lock_guard lock(m_mutex);
    return m_macroTrack.ours;
}

void ProfileSession::QueueChanges(StoreChanges changes)
{
    m_noticed.profiles = m_noticed.profiles || changes.profiles;
    m_noticed.macros = m_noticed.macros || changes.macros;
    m_noticed.unreadable = m_noticed.unreadable || changes.unreadable;
}

void ProfileSession::Notify(StoreChanges changes)
{
    if (!changes.Any())
        return;
    std::lock_guard lock(m_handlerMutex);
    if (m_changeHandler)
        m_changeHandler(changes);
}
