#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "core/report/report.h"

class BleWriteTargets;
class BlueZWatcher;
class QObject;
class QThread;

// The Bluetooth LE link over BlueZ: reports are written to the mouse's 0xFEE3 characteristic, its
// events come as notifications of 0xFEE4, and its arrival and removal are followed on the system
// bus. A thread of its own follows BlueZ; what it learns reaches the callbacks on the thread that
// started the transport (the UI thread), so the page is never touched from elsewhere.
class BleTransport {
public:
    // The value is built behind a 4-byte size field in a buffer of 1000 bytes.
    static constexpr std::size_t kMaxReportBytes = 996;

    struct Callbacks {
        std::function<void(bool mousePresent)> initialScan;  // BlueZ's first answer
        std::function<void()> arrived;
        std::function<void()> removed;  // may repeat while the mouse is gone
        std::function<void(std::uint16_t code, std::uint16_t value)> event;
    };

    explicit BleTransport(const QString& busAddress);
    ~BleTransport();
    BleTransport(const BleTransport&) = delete;
    BleTransport& operator=(const BleTransport&) = delete;

    // Starts following BlueZ. Without a bus, BlueZ or adapter the link stays absent.
    void Start(Callbacks callbacks);
    // Armed while the mouse counts as present: writes go out and its notifications are
    // subscribed to. Disarmed, every write returns 0 at once.
    void Arm(bool armed);

    // 1 when one report characteristic of the mouse took the report, 0 otherwise. Blocks on the
    // bus: never call it on the UI thread.
    int WriteReport(const Report& report);

private:
    QString WriterConnection();

    QString m_address;
    QString m_namePrefix;
    std::atomic<bool> m_armed{false};
    std::shared_ptr<BleWriteTargets> m_targets;
    std::unique_ptr<QObject> m_context;  // receives the watcher's news on the starting thread
    std::unique_ptr<QThread> m_thread;
    BlueZWatcher* m_watcher = nullptr;  // lives on m_thread, deleted when it ends

    std::mutex m_writersMutex;
    std::map<std::thread::id, QString> m_writers;  // one bus connection per writing thread
};
