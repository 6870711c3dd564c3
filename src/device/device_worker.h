#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The device worker: a thread with a message queue, served one message at a time in order, so
// the UI never waits for the mouse.
class DeviceWorker {
public:
    using Handler = std::function<void(std::uint32_t message)>;

    explicit DeviceWorker(Handler handler);
    ~DeviceWorker();

    void PostThreadMessage(std::uint32_t message);
    // Ends the loop after the messages already queued and waits for the thread.
    void Quit();

private:
    void Run();

    Handler m_handler;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::uint32_t> m_queue;
    bool m_quit = false;
    std::thread m_thread;
};
