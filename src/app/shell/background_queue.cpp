#include "app/shell/background_queue.h"

BackgroundQueue::BackgroundQueue() : m_pool(std::make_unique<QThreadPool>())
{
    // One thread: pieces run in the order they were queued, so a later settings write always
    // wins over an earlier one.
    m_pool->setMaxThreadCount(1);
    m_pool->setExpiryTimeout(-1);
}

BackgroundQueue::~BackgroundQueue()
{
    m_pool->waitForDone();
}

void BackgroundQueue::Run(std::function<void()> work)
{
    m_pool->start(std::move(work));
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
