#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

#include "core/storage/profile_store.h"
#include "core/storage/store_access.h"
#include "core/storage/store_load_result.h"

class StoreWatcher;

// What the page, the device worker and the Bluetooth thread share: the profile and macro lists,
// the store header (with the current profile's index), the applied snapshot and the full-send
// flag. Every access goes through Locked(), so no thread sees another's half-done change.
//
// The session also keeps the stores honest. A store that could not be read at start is not ours:
// it is never written during this run (unless it becomes readable and is read again). A store
// changed beside the utility (karvoctl, a restored backup) is noticed before every save and, once
// WatchStores() runs, as soon as it changes: it is read again, the current profile and the applied
// snapshot follow the file, the next apply sends everything, and the change handler hears of it.
// A newer file is never written over with older contents; what was only in memory gives way.
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

    enum class SaveResult {
        Saved,
        Failed,    // the file could not be written; memory stays as it is
        NotOurs,   // the store could not be read at start: it is left alone
        Reloaded,  // the file had changed beside us: memory now holds it and nothing was written
    };

    // Which stores a reload replaced, or found out of reach, for the change handler.
    struct StoreChanges {
        bool profiles = false;
        bool macros = false;
        bool unreadable = false;  // a store went out of reach; it is no longer written

        bool Any() const { return profiles || macros || unreadable; }
    };
    // Called on the thread that noticed the change (the watch thread, or one that was about to
    // save), after the session's lock is released. It should only hand the news to its own
    // thread, and must not wait for a thread that may be saving.
    using ChangeHandler = std::function<void(StoreChanges)>;

    // An empty data folder means the utility's own, looked up at every read and write.
    explicit ProfileSession(const QString& dataFolder = {});
    ~ProfileSession();

    template <typename Function>
    decltype(auto) Locked(Function&& function)
    {
        // Changes noticed inside are handed to the handler by this thread once the lock is
        // released: the notifier is made first, so it ends last.
        StoreChanges noticed;
        const NotifyOnExit notify{*this, noticed};
        std::lock_guard lock(m_mutex);
        const TakeNoticed take{*this, noticed};
        return function(m_state);
    }

    // Reads both stores; the current profile becomes the applied snapshot and the next apply
    // sends everything.
    void Load(StoreLoadResult* profileResult = nullptr, StoreLoadResult* macroResult = nullptr);

    // Writes pro.data, macro.data, or both as one change (a profile import that brings macros),
    // from the state as it stands. Call from inside Locked(), with the state it hands over. Every
    // write of a store goes through these, so that the session can tell its own writes from
    // others': a store written any other way counts as changed beside the utility and is read
    // again, replacing the lists.
    SaveResult SaveProfilesLocked(State& state);
    SaveResult SaveMacrosLocked(State& state);
    SaveResult SaveProfilesAndMacrosLocked(State& state, QString* error);
    SaveResult SaveProfiles();

    // Compares both stores with the versions last read or written and reads again the ones
    // changed beside us. A store deleted beside us is not reloaded: memory is then its only copy
    // and the next save writes it.
    StoreChanges CheckStores();
    // Starts watching both stores and their folders; a change runs CheckStores() on the watch
    // thread. Stopped by the destructor.
    void WatchStores();
    void SetChangeHandler(ChangeHandler handler);

    bool ProfileStoreIsOurs();
    bool MacroStoreIsOurs();

    QString DataFolder() const;

private:
    struct NotifyOnExit {
        ProfileSession& session;
        StoreChanges& changes;
        ~NotifyOnExit() { session.Notify(changes); }
    };
    struct TakeNoticed {
        ProfileSession& session;
        StoreChanges& changes;
        ~TakeNoticed() { changes = std::exchange(session.m_noticed, {}); }
    };
    struct StoreTrack {
        bool ours = true;
        FileStamp stamp;
    };

    bool CheckProfilesLocked(StoreChanges& changes);
    bool CheckMacrosLocked(StoreChanges& changes);
    void QueueChanges(StoreChanges changes);
    void Notify(StoreChanges changes);

    QString m_dataFolder;
    std::mutex m_mutex;
    State m_state;
    StoreTrack m_profileTrack;
    StoreTrack m_macroTrack;
    StoreChanges m_noticed;  // by the Locked() call in progress

    std::mutex m_handlerMutex;
    ChangeHandler m_changeHandler;
    std::unique_ptr<StoreWatcher> m_watcher;
};
