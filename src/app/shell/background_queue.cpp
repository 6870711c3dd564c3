#include "app/shell/background_queue.h"

namespace {
constexpr int kFileQueueLimit = 8;
// At the end of the program a file queue gets this long to finish; its results have nobody left
// to go to.
constexpr int kFileQueueExitWaitMs = 2000;
}  // namespace

BackgroundQueue::BackgroundQueue(int limit) : m_pool(std::make_unique<QThreadPool>()), m_limit(limit)
{
    // One thread: pieces run in the order they were queued, so a later settings write always
    // wins over an earlier one.
    m_pool->setMaxThreadCount(1);
    m_pool->setExpiryTimeout(-1);
}

BackgroundQueue::~BackgroundQueue()
{
    if (m_limit > 0 && !m_pool->waitForDone(kFileQueueExitWaitMs)) {
        // A piece is stuck in the system: the process ends without it rather than with it.
        (void)m_pool.release();
        return;
    }
    m_pool->waitForDone();
}

bool BackgroundQueue::Run(std::function<void()> work)
{
    if (m_limit > 0 && m_taken.fetch_add(1) >= m_limit) {
        --m_taken;
        return false;
    }
    m_pool->start([this, work = std::move(work)] {
        work();
        if (m_limit > 0)
            --m_taken;
    });
    return true;
}

void BackgroundQueue::WaitForDone()
{
    m_pool->waitForDone();
}

BackgroundQueue& BackgroundQueue::Shell()
{
    static BackgroundQueue queue;
    return queue;
}

BackgroundQueue& BackgroundQueue::Files()
{
    static BackgroundQueue queue(kFileQueueLimit);
    return queue;
}
