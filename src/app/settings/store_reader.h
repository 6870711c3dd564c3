#pragma once

#include <functional>
#include <thread>

#include "core/storage/store_load_result.h"

class ProfileSession;
class QObject;

// Reads the session's stores on a thread of its own and hands the outcome to a receiver on the
// receiver's thread, so that the window shows at once and its thread never waits for the disk.
// The session writes nothing until the stores are read: what it holds before is not theirs.
class StoreReader {
public:
    using Done = std::function<void(const StoreLoadResult& profiles, const StoreLoadResult& macros)>;

    StoreReader() = default;
    StoreReader(const StoreReader&) = delete;
    StoreReader& operator=(const StoreReader&) = delete;
    // Waits for a read under way; its outcome is then not handed over.
    ~StoreReader();

    // done runs on receiver's thread, unless the receiver is gone by then. Session and receiver
    // outlive the reader.
    void Start(ProfileSession& session, QObject* receiver, Done done);

private:
    std::thread m_thread;
};
