#pragma once

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <functional>
#include <memory>

// Small pieces of disk and device work of the shell (settings, the autostart entry, file imports,
// the device access check), run one after another on one thread of their own so the window never
// waits for them. A result comes back to the UI thread through the context object. Whoever owns a
// context drains the queue (WaitForDone) before deleting it.
class BackgroundQueue {
public:
    BackgroundQueue();
    ~BackgroundQueue();

    template <typename Result>
    void Run(std::function<Result()> work, QObject* context, std::function<void(Result)> done)
    {
        QPointer<QObject> guard(context);
        m_pool->start([work = std::move(work), guard, done = std::move(done)] {
            auto result = std::make_shared<Result>(work());
            if (guard)
                QMetaObject::invokeMethod(guard.data(), [guard, done, result] {
                    if (guard && done)
                        done(std::move(*result));
                }, Qt::QueuedConnection);
        });
    }
    void Run(std::function<void()> work);

    // Blocks until every queued piece has run (tests, and the end of the program).
    void WaitForDone();

    // The shell's one queue.
    static BackgroundQueue& Shell();

private:
    std::unique_ptr<QThreadPool> m_pool;
};
