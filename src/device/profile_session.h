#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "core/storage/profile_store.h"
#include "core/storage/store_access.h"
#include "core/storage/store_load_result.h"
#include "core/storage/store_writer.h"

class StoreWatcher;

// What the page, the device worker and the Bluetooth thread share: the profile and macro lists,
// the store header (with the current profile's index), the applied snapshot and the full-send
// flag. Every access goes through Locked(), so no thread sees another's half-done change.
//
// The session owns the store writer: saves asked for on any thread are written in the background,
// a burst of them as one write, so no caller waits for the disk.
//
// The session also keeps the stores honest. A store that could not be read at start is not ours:
// it is never handed to the writer during this run (unless it becomes readable and is read
// again). A store changed beside the utility (karvoctl, a restored backup) is noticed by the
// writer just before every save and, once WatchStores() runs, as soon as it changes: it is read
// again, the current profile and the applied snapshot follow the file, the next apply sends
// everything, and the change handler hears of it. A newer file is never written over with older
// contents; what was only in memory gives way. The session's own writes are recorded as they are
// made, so they never count as changes beside it.
class ProfileSession {
public:
    struct State {
        ProfileList profiles;
        std::unique_ptr<StoreHeader> header;
        MacroList macros;
        std::unique_ptr<ProfileRecord> appliedSnapshot;
        bool fullSend = false;
        // Counts the reloads of pro.data: work begun on one version of the profiles can tell
        // that they were replaced meanwhile.
        std::uint64_t profileReloads = 0;

        ProfileRecord& Current() { return *profiles.at(header->current_profile_index); }
    };

    // Which stores a reload replaced, or found out of reach, for the change handler.
    struct StoreChanges {
        bool profiles = false;
        bool macros = false;
        bool unreadable = false;  // a store went out of reach; it is no longer written

        bool Any() const { return profiles || macros || unreadable; }
    };
    // Called on the thread that noticed the change (the watch thread, or the writer about to
    // save), with none of the session's locks held. It should only hand the news to its own
    // thread, and must not wait for the writer.
    using ChangeHandler = std::function<void(StoreChanges)>;

    // An empty data folder means the utility's own, looked up at every read and write.
    explicit ProfileSession(const QString& dataFolder = {});
    // Stops the watch, then writes what is still waiting before the state goes.
    ~ProfileSession();

    template <typename Function>
    decltype(auto) Locked(Function&& function)
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;  // the lists may change: the next save copies every record
        return function(m_state);
    }

    // For a change to fields of the current profile alone (what the mouse reports): the next
    // save then copies just that record and the header.
    template <typename Function>
    decltype(auto) LockedCurrentProfile(Function&& function)
    {
        std::lock_guard lock(m_mutex);
        return function(m_state.Current());
    }

    // For what the mouse reports of itself: the current profile and the applied snapshot (what
    // the mouse holds) change alike, so the change is never sent back nor taken for one of ours.
    template <typename Function>
    decltype(auto) LockedCurrentAndApplied(Function&& function)
    {
        std::lock_guard lock(m_mutex);
        return function(m_state.Current(), *m_state.appliedSnapshot);
    }

    // Reads both stores (after every save asked for is on disk); the current profile becomes the
    // applied snapshot and the next apply sends everything.
    void Load(StoreLoadResult* profileResult = nullptr, StoreLoadResult* macroResult = nullptr);

    // Until the next Load() ends, nothing is written: what the session holds before the stores
    // are read is not what they hold.
    void HoldSavesUntilLoaded()
    {
        m_profileOurs = false;
        m_macroOurs = false;
    }

    // Asks for pro.data to be written as the state stands when the writer gets to it. Never
    // waits; may be called with or without the session locked. Nothing is asked for while the
    // store is not ours. done (see StoreWriter::Done) hears when the change is on disk, or at
    // once, on the calling thread, that it cannot be.
    void RequestProfileSave(StoreWriter::Done done = {});
    // Asks for macro.data to be written with the macro list as it stands now.
    void RequestMacroSave(StoreWriter::Done done = {});
    void RequestMacroSaveLocked(const State& state, StoreWriter::Done done = {});  // from inside Locked()
    // Asks for both stores to be written as one change (a profile import that brings macros):
    // macro.data first, then pro.data, and when pro.data cannot be written macro.data gets back
    // what it held. False, and nothing asked for, when either store is not ours. Until such a
    // save succeeds, the next profile save writes both again. Never waits.
    bool RequestProfileAndMacroSave(StoreWriter::Done done = {});
    // Waits until every save asked for is done. For shutdown, tools and tests.
    void FlushSaves();
    // Called on the writer thread when a save failed; TakeSaveFailures() says what failed.
    void SetSaveFailureHandler(std::function<void()> handler);
    QStringList TakeSaveFailures();
    StoreWriter& Writer() { return m_writer; }

    // Compares both stores with the versions last read or written and reads again the ones
    // changed beside us. A store deleted beside us is not reloaded: memory is then its only copy
    // and the next save writes it.
    StoreChanges CheckStores();
    // Starts watching both stores and their folders; a change runs CheckStores() on the watch
    // thread. Stopped by the destructor.
    void WatchStores();
    void SetChangeHandler(ChangeHandler handler);

    bool ProfileStoreIsOurs() const { return m_profileOurs; }
    bool MacroStoreIsOurs() const { return m_macroOurs; }

    QString DataFolder() const;

private:
    // The bytes of pro.data, built on the writer thread without keeping anyone waiting for the
    // session: from a snapshot of the copy-on-write list taken in an instant, or only the current
    // profile when nothing else can have changed since the last build.
    std::optional<QByteArray> ProfileStoreImage();
    bool UpdateCurrentProfileInImage();
    void BuildWholeImage();
    std::optional<QByteArray> MacroStoreImage();

    // Around every save, on the writer thread: looks at both stores first and saves only stores
    // that are ours and were not just read again; records the files as written afterwards.
    void GuardSave(const QStringList& paths, const std::function<bool()>& save);
    // With m_checkMutex held: read again a store whose file is not the version last known.
    bool CheckProfiles(StoreChanges& changes);
    bool CheckMacros(StoreChanges& changes);
    void Notify(StoreChanges changes);

    QString m_dataFolder;
    std::mutex m_mutex;
    State m_state;
    std::uint64_t m_generation = 1;  // under m_mutex: counts Locked() calls
    // Writer thread only: the last image built and the generation it was built at.
    QByteArray m_image;
    std::uint64_t m_imageGeneration = 0;

    // Held by whoever compares the stores with the versions last known, and by the writer for
    // the whole of a save, so that a save and a reload never cross. Taken before m_mutex.
    std::mutex m_checkMutex;
    FileStamp m_profileStamp;  // under m_checkMutex
    FileStamp m_macroStamp;    // under m_checkMutex
    std::atomic<bool> m_profileOurs{true};
    std::atomic<bool> m_macroOurs{true};
    std::atomic<bool> m_pairOwed{false};  // a save of both stores failed: the next one saves both

    std::mutex m_handlerMutex;
    ChangeHandler m_changeHandler;  // under m_handlerMutex

    StoreWriter m_writer;  // stops before the state it reads goes
    std::unique_ptr<StoreWatcher> m_watcher;  // last: stops first
};
