#pragma once

#include <QString>
#include <memory>
#include <mutex>

#include "core/storage/profile_store.h"
#include "core/storage/store_load_result.h"

// What the page, the device worker and the Bluetooth thread share: the profile and macro lists,
// the store header (with the current profile's index), the applied snapshot and the full-send
// flag. Every access goes through Locked(), so no thread sees another's half-done change.
class ProfileSession {
public:
    struct State {
        ProfileList profiles;
        std::unique_ptr<StoreHeader> header;
        MacroList macros;
        std::unique_ptr<ProfileRecord> appliedSnapshot;
        bool fullSend = false;

        ProfileRecord& Current() { return *profiles.at(header->current_profile_index); }
    };

    // An empty data folder means the utility's own, looked up at every read and write.
    explicit ProfileSession(const QString& dataFolder = {});

    template <typename Function>
    decltype(auto) Locked(Function&& function)
    {
        std::lock_guard lock(m_mutex);
        return function(m_state);
    }

    // Reads both stores; the current profile becomes the applied snapshot and the next apply
    // sends everything.
    void Load(StoreLoadResult* profileResult = nullptr, StoreLoadResult* macroResult = nullptr);
    // Writes pro.data from the state as it stands (call from inside Locked()).
    bool SaveProfilesLocked(const State& state) const;
    bool SaveProfiles();

    QString DataFolder() const;

private:
    QString m_dataFolder;
    std::mutex m_mutex;
    State m_state;
};
