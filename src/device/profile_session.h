#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "core/storage/profile_store.h"
#include "core/storage/store_load_result.h"
#include "core/storage/store_writer.h"

// What the page, the device worker and the Bluetooth thread share: the profile and macro lists,
// the store header (with the current profile's index), the applied snapshot and the full-send
// flag. Every access goes through Locked(), so no thread sees another's half-done change.
//
// The session owns the store writer: saves asked for on any thread are written in the background,
// a burst of them as one write, so no caller waits for the disk.
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
    // Writes what is still waiting before the state goes.
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

    // Reads both stores (after every save asked for is on disk); the current profile becomes the
    // applied snapshot and the next apply sends everything.
    void Load(StoreLoadResult* profileResult = nullptr, StoreLoadResult* macroResult = nullptr);

    // Asks for pro.data to be written as the state stands when the writer gets to it. Never
    // waits; may be called with or without the session locked.
    void RequestProfileSave();
    // Asks for macro.data to be written with the macro list as it stands now.
    void RequestMacroSave();
    void RequestMacroSaveLocked(const State& state);  // from inside Locked()
    // Waits until every save asked for is done. For shutdown, tools and tests.
    void FlushSaves();
    // Called on the writer thread when a save failed; TakeSaveFailures() says what failed.
    void SetSaveFailureHandler(std::function<void()> handler);
    QStringList TakeSaveFailures();
    StoreWriter& Writer() { return m_writer; }

    QString DataFolder() const;

private:
    // The bytes of pro.data, built on the writer thread without keeping anyone waiting long for
    // the session: a record at a time, or only the current profile when nothing else can have
    // changed since the last build.
    std::optional<QByteArray> ProfileStoreImage();
    bool UpdateCurrentProfileInImage();
    void BuildWholeImage();

    QString m_dataFolder;
    std::mutex m_mutex;
    State m_state;
    std::uint64_t m_generation = 1;  // under m_mutex: counts Locked() calls
    // Writer thread only: the last image built and the generation it was built at.
    QByteArray m_image;
    std::uint64_t m_imageGeneration = 0;
    StoreWriter m_writer;  // last: stops before the state it reads goes
};
