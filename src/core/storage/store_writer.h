#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

// Writes store files on a thread of its own, so that whoever asks for a save (the window's
// thread, the device worker) never waits for the disk.
//
// A request names a file and how to get its new content. Requests for a file that is already
// waiting are folded into that one (the latest content wins; the file keeps its place), so a burst
// of requests costs one write. Files are written in the order they were first asked for, each one
// atomically. A file whose content equals what was last written (or, before the first write, what
// is on disk) is not written again. A failed write is recorded and announced, never dropped in
// silence.
class StoreWriter {
public:
    // Builds a file's content on the writer thread; nothing is written when it gives nothing.
    using ImageSource = std::function<std::optional<QByteArray>()>;
    // Writes bytes as the whole new content of path; false with a reason on failure.
    using WriteFunction = std::function<bool(const QString& path, const QByteArray& bytes, QString* error)>;
    // Looks at a file just before it is written; a non-empty answer is a reason not to write it
    // (it is reported like a failed write).
    using WriteCheck = std::function<QString(const QString& path)>;

    StoreWriter();
    // Writes everything asked for, then stops the thread.
    ~StoreWriter();
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    void Request(const QString& path, ImageSource image);
    void Request(const QString& path, QByteArray bytes);
    // Waits until no save is waiting or under way (each one written, skipped or failed). For
    // shutdown and before the process reads the files itself, never on a busy window thread.
    void Flush();

    // Called on the writer thread after a failure was recorded; TakeFailures() gives it. Once
    // this returns, the previous handler is not running and is not called again.
    void SetFailureHandler(std::function<void()> handler);
    // Messages of the failures since the last call, oldest first.
    QStringList TakeFailures();

    // Seams for tests: how bytes reach the disk, and a look at the file before it is written.
    void SetWriteFunction(WriteFunction write);
    void SetWriteCheck(WriteCheck check);
    // Writes done and writes skipped because nothing changed.
    int WriteCount() const;
    int SkipCount() const;

private:
    void Run();
    void Save(const QString& path, const ImageSource& image);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;   // work arrived or stop
    std::condition_variable m_idle;   // a save finished
    std::deque<QString> m_order;      // files waiting, in the order they were asked for
    std::map<QString, ImageSource> m_waiting;
    std::map<QString, QByteArray> m_lastWritten;  // writer thread only
    bool m_busy = false;
    bool m_stop = false;
    QStringList m_failures;
    std::mutex m_handlerMutex;  // held while the handler runs
    std::function<void()> m_failureHandler;  // under m_handlerMutex
    WriteFunction m_write;
    WriteCheck m_check;
    int m_writes = 0;
    int m_skips = 0;
    std::thread m_thread;
};
