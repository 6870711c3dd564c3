#pragma once

#include <functional>

// Device pacing. The worker pauses between reports; the UI thread defers the rest of an arrival
// instead of blocking. Tests install a fake that records the pauses and runs deferred work on
// demand, so no test sleeps.
class DeviceClock {
public:
    virtual ~DeviceClock() = default;
    // Blocks the calling (worker) thread.
    virtual void Pause(int ms) = 0;
    // Runs work on the UI thread after ms.
    virtual void RunAfter(int ms, std::function<void()> work) = 0;
};

// Real time: sleeps, and Qt timers on the caller's thread.
class SystemDeviceClock final : public DeviceClock {
public:
    void Pause(int ms) override;
    void RunAfter(int ms, std::function<void()> work) override;
};
