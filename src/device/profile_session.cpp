#include "device/profile_session.h"

#include <QLoggingCategory>
#include <cstring>
#include <utility>
#include <vector>

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"
#include "device/store_watcher.h"

Q_LOGGING_CATEGORY(lcSession, "karvo.device.session")

namespace {

constexpr std::size_t kHeaderBytes = sizeof(StoreHeader);
constexpr std::size_t kRecordBytes = sizeof(ProfileRecord);

}  // namespace

ProfileSession::ProfileSession(const QString& dataFolder) : m_dataFolder(dataFolder)
{
    m_state.header = std::make_unique<StoreHeader>();
    *m_state.header = {};
    // Never without a current profile: until the stores are read, events and controls work on a
    // default one that is not written.
    AddDefaultProfile(m_state.profiles);
    m_state.appliedSnapshot = std::make_unique<ProfileRecord>();
    *m_state.appliedSnapshot = {};
    m_writer.SetSaveGuard([this](const QStringList& paths, const std::function<bool()>& save) { GuardSave(paths, save); });
}

ProfileSession::~ProfileSession()
{
    // The watch thread calls into the session; it ends before anything else goes.
    m_watcher.reset();
    m_writer.SetFailureHandler({});
    m_writer.Flush();
    for (const QString& failure : m_writer.TakeFailures())
        qCWarning(lcStorage) << "not saved at exit:" << failure;
}

QString ProfileSession::DataFolder() const
{
    return m_dataFolder.isEmpty() ? GetDataFolder() : m_dataFolder;
}

void ProfileSession::Load(StoreLoadResult* profileResult, StoreLoadResult* macroResult)
{
    m_writer.Flush();  // the files as this process last asked for them
    const QString folder = DataFolder();
    std::lock_guard check(m_checkMutex);
    // Read before the session is locked: whoever uses the session meanwhile never waits for the
    // disk, and sees the stores change in one step.
    ProfileList readProfiles;
    auto header = std::make_unique<StoreHeader>();
    MacroList readMacros;
    const StoreLoadResult profiles = LoadProfileStore(readProfiles, *header, folder);
    const StoreLoadResult macros = LoadMacroStore(readMacros, folder);
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_state.profiles = readProfiles;
        m_state.header = std::move(header);
        m_state.macros = std::move(readMacros);
        m_state.fullSend = true;
        *m_state.appliedSnapshot = m_state.Current();
    }
    m_profileOurs = profiles.outcome != StoreLoadResult::Outcome::Unreadable;
    m_macroOurs = macros.outcome != StoreLoadResult::Outcome::Unreadable;
    m_profileStamp = StampOf(ProfileStorePath(folder));
    m_macroStamp = StampOf(MacroStorePath(folder));
    m_writer.Forget(ProfileStorePath(folder));
    m_writer.Forget(MacroStorePath(folder));
    if (profileResult)
        *profileResult = profiles;
    if (macroResult)
        *macroResult = macros;
}

namespace {

void TellOutOfReach(const StoreWriter::Done& done, const QString& path)
{
    if (done)
        done(QStringLiteral("%1 cannot be read, so it is not written").arg(path));
}

}  // namespace

void ProfileSession::RequestProfileSave(StoreWriter::Done done)
{
    if (!m_profileOurs)
        return TellOutOfReach(done, ProfileStorePath(DataFolder()));
    // Profiles that came with macros are not written without them.
    if (m_pairOwed && m_macroOurs) {
        RequestProfileAndMacroSave(std::move(done));
        return;
    }
    m_writer.Request(ProfileStorePath(DataFolder()), [this] { return ProfileStoreImage(); }, std::move(done));
}

void ProfileSession::RequestMacroSave(StoreWriter::Done done)
{
    std::lock_guard lock(m_mutex);
    RequestMacroSaveLocked(m_state, std::move(done));
}

void ProfileSession::RequestMacroSaveLocked(const State& state, StoreWriter::Done done)
{
    if (!m_macroOurs)
        return TellOutOfReach(done, MacroStorePath(DataFolder()));
    QByteArray bytes;
    bytes.reserve(qsizetype(state.macros.size() * sizeof(MacroRecord)));
    for (const auto& record : state.macros)
        bytes.append(RecordBytes(*record));
    m_writer.Request(MacroStorePath(DataFolder()), std::move(bytes), std::move(done));
}

bool ProfileSession::RequestProfileAndMacroSave(StoreWriter::Done done)
{
    const QString folder = DataFolder();
    if (!m_profileOurs || !m_macroOurs) {
        TellOutOfReach(done, m_profileOurs ? MacroStorePath(folder) : ProfileStorePath(folder));
        return false;
    }
    m_writer.RequestTogether({{MacroStorePath(folder), [this] { return MacroStoreImage(); }},
                              {ProfileStorePath(folder), [this] { return ProfileStoreImage(); }}},
                             std::move(done));
    return true;
}

std::optional<QByteArray> ProfileSession::MacroStoreImage()
{
    std::lock_guard lock(m_mutex);
    QByteArray bytes;
    bytes.reserve(qsizetype(m_state.macros.size() * sizeof(MacroRecord)));
    for (const auto& record : m_state.macros)
        bytes.append(RecordBytes(*record));
    return bytes;
}

void ProfileSession::FlushSaves()
{
    m_writer.Flush();
}

void ProfileSession::SetSaveFailureHandler(std::function<void()> handler)
{
    m_writer.SetFailureHandler(std::move(handler));
}

QStringList ProfileSession::TakeSaveFailures()
{
    return m_writer.TakeFailures();
}

std::optional<QByteArray> ProfileSession::ProfileStoreImage()
{
    if (!UpdateCurrentProfileInImage())
        BuildWholeImage();
    return m_image;
}

bool ProfileSession::UpdateCurrentProfileInImage()
{
    if (m_image.isEmpty())
        return false;
    m_image.detach();  // the writer keeps the last image; the copy is made here, not under the lock
    char* out = m_image.data();
    std::lock_guard lock(m_mutex);
    // Only LockedCurrentProfile() was used since the last build: nothing but the current profile
    // can differ from the image.
    if (m_generation != m_imageGeneration)
        return false;
    const std::size_t index = m_state.header->current_profile_index;
    if (m_image.size() != qsizetype(kHeaderBytes + m_state.profiles.size() * kRecordBytes)
        || index >= m_state.profiles.size())
        return false;
    std::memcpy(out, m_state.header.get(), kHeaderBytes);
    std::memcpy(out + kHeaderBytes + index * kRecordBytes, std::as_const(m_state.profiles)[index].get(), kRecordBytes);
    return true;
}

void ProfileSession::BuildWholeImage()
{
    // Under the lock only the list is taken: sharing it costs a reference count, and a record
    // changed from now on is copied by whoever changes it, so the snapshot stays as it was taken.
    auto header = std::make_unique<StoreHeader>();
    ProfileList snapshot;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
        snapshot = m_state.profiles;
        std::memcpy(header.get(), m_state.header.get(), kHeaderBytes);
        generation = m_generation;
    }
    QByteArray image(qsizetype(kHeaderBytes + snapshot.size() * kRecordBytes), Qt::Uninitialized);
    char* out = image.data();
    std::memcpy(out, header.get(), kHeaderBytes);
    for (std::size_t i = 0; i < snapshot.size(); ++i)
        std::memcpy(out + kHeaderBytes + i * kRecordBytes, std::as_const(snapshot)[i].get(), kRecordBytes);
    m_image = std::move(image);
    m_imageGeneration = generation;
}

void ProfileSession::GuardSave(const QStringList& paths, const std::function<bool()>& save)
{
    StoreChanges changes;
    {
        std::lock_guard check(m_checkMutex);
        const QString folder = DataFolder();
        const QString profilePath = ProfileStorePath(folder);
        const QString macroPath = MacroStorePath(folder);
        // Both stores are looked at: profiles refer to macros by position, so one is never read
        // again without the other being brought up to date too.
        const bool profilesReloaded = CheckProfiles(changes);
        const bool macrosReloaded = CheckMacros(changes);
        bool go = true;
        for (const QString& path : paths) {
            if (path == profilePath)
                go = go && !profilesReloaded && m_profileOurs;
            else if (path == macroPath)
                go = go && !macrosReloaded && m_macroOurs;
        }
        if (go) {
            const bool saved = save();
            if (paths.size() > 1)
                m_pairOwed = !saved;
            // The files as written now (or put back) are the versions we know: our own writes
            // are not changes beside us.
            if (paths.contains(profilePath))
                m_profileStamp = StampOf(profilePath);
            if (paths.contains(macroPath))
                m_macroStamp = StampOf(macroPath);
        }
    }
    Notify(changes);
}

bool ProfileSession::CheckProfiles(StoreChanges& changes)
{
    const QString folder = DataFolder();
    const QString path = ProfileStorePath(folder);
    const FileStamp now = StampOf(path);
    if (now == m_profileStamp)
        return false;
    m_profileStamp = now;
    // Whatever the file holds now, it is not what the writer last put there.
    m_writer.Forget(path);

    QByteArray unused;
    QString reason;
    if (!now.exists && ReadStoreBytes(path, &unused, &reason) == StoreFileState::Missing) {
        qCInfo(lcSession) << path << "was removed; the profiles in memory are written with the next save";
        return false;
    }
    // Read without the session's lock: nobody waits on the disk for it.
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    const StoreLoadResult result =
        now.exists ? LoadProfileStore(profiles, *header, folder)
                   : StoreLoadResult{StoreLoadResult::Outcome::Unreadable, reason, {}, false};
    switch (result.outcome) {
    case StoreLoadResult::Outcome::Unreadable:
        qCWarning(lcSession) << path << "went out of reach:" << result.problem << "- it is no longer written";
        changes.unreadable = changes.unreadable || m_profileOurs;
        m_profileOurs = false;
        return false;
    case StoreLoadResult::Outcome::Missing:
        // Gone between the look and the read: a default store took its place; memory wins.
        m_profileStamp = StampOf(path);
        return false;
    case StoreLoadResult::Outcome::Repaired:
        m_profileStamp = StampOf(path);
        break;
    case StoreLoadResult::Outcome::Loaded:
        break;
    }
    qCInfo(lcSession) << path << "changed on disk; profiles read again";
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_state.profiles = std::move(profiles);
        m_state.header = std::move(header);
        *m_state.appliedSnapshot = m_state.Current();
        m_state.fullSend = true;
        ++m_state.profileReloads;
    }
    m_profileOurs = true;
    changes.profiles = true;
    return true;
}

bool ProfileSession::CheckMacros(StoreChanges& changes)
{
    const QString folder = DataFolder();
    const QString path = MacroStorePath(folder);
    const FileStamp now = StampOf(path);
    if (now == m_macroStamp)
        return false;
    m_macroStamp = now;
    m_writer.Forget(path);

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
        changes.unreadable = changes.unreadable || m_macroOurs;
        m_macroOurs = false;
        return false;
    case StoreLoadResult::Outcome::Missing:
        return false;
    case StoreLoadResult::Outcome::Repaired:
        m_macroStamp = StampOf(path);
        break;
    case StoreLoadResult::Outcome::Loaded:
        break;
    }
    qCInfo(lcSession) << path << "changed on disk; macros read again";
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_state.macros = std::move(macros);
    }
    m_macroOurs = true;
    changes.macros = true;
    return true;
}

ProfileSession::StoreChanges ProfileSession::CheckStores()
{
    StoreChanges changes;
    {
        std::lock_guard check(m_checkMutex);
        CheckProfiles(changes);
        CheckMacros(changes);
    }
    Notify(changes);
    return changes;
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

void ProfileSession::Notify(StoreChanges changes)
{
    if (!changes.Any())
        return;
    std::lock_guard lock(m_handlerMutex);
    if (m_changeHandler)
        m_changeHandler(changes);
}
