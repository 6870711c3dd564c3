#pragma once

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

// Small pieces of disk and device work, run one after another on one thread of their own so the
// window never waits for them. A result comes back to the UI thread through the context object.
// Whoever owns a context drains the queue (WaitForDone) before deleting it.
//
// A queue with a limit takes at most that many pieces at once (waiting or running) and refuses
// more: a piece that takes long holds up only its own queue, which cannot grow without end.
class BackgroundQueue {
public:
    explicit BackgroundQueue(int limit = 0);
    ~BackgroundQueue();

    // False (and nothing queued) when the queue is full.
    template <typename Result>
    bool Run(std::function<Result()> work, QObject* context, std::function<void(Result)> done)
    {
        QPointer<QObject> guard(context);
        return Run([work = std::move(work), guard, done = std::move(done)] {
            auto result = std::make_shared<Result>(work());
            if (guard)
                QMetaObject::invokeMethod(guard.data(), [guard, done, result] {
                    if (guard && done)
                        done(std::move(*result));
                }, Qt::QueuedConnection);
        });
    }
    bool Run(std::function<void()> work);

    // Blocks until every queued piece has run (tests, and the end of the program).
    void WaitForDone();

    // The shell's queue: settings, the autostart entry, the device access check. The end of the
    // program waits for it.
    static BackgroundQueue& Shell();
    // File imports and exports, away from the shell's queue: a file that takes long to read or
    // write (a slow network share) never holds up the settings or the end of the program.
    static BackgroundQueue& Files();

private:
    std::unique_ptr<QThreadPool> m_pool;
    const int m_limit;
    std::atomic<int> m_taken{0};
};
