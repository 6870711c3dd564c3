#include "device/device_worker.h"

#ifdef __linux__
#include <pthread.h>
#endif

DeviceWorker::DeviceWorker(Handler handler) : m_handler(std::move(handler)), m_thread([this] { Run(); })
{
#ifdef __linux__
    pthread_setname_np(m_thread.native_handle(), "device-worker");
#endif
}

DeviceWorker::~DeviceWorker()
{
    Quit();
}

void DeviceWorker::PostThreadMessage(std::uint32_t message)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
        m_queue.push_back(message);
    }
    m_wake.notify_one();
}

void DeviceWorker::Quit()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void DeviceWorker::Run()
{
    for (;;) {
        std::uint32_t message = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_queue.empty())
                return;  // asked to quit and nothing left
            message = m_queue.front();
            m_queue.pop_front();
        }
        m_handler(message);
    }
}
