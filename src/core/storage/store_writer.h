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
#include <utility>
#include <vector>

// Writes store files on a thread of its own, so that whoever asks for a save (the window's
// thread, the device worker) never waits for the disk.
//
// A request names a file and how to get its new content. Requests for a file that is already
// waiting are folded into that one (the latest content wins; the file keeps its place), so a burst
// of requests costs one write. Files are written in the order they were first asked for, each one
// atomically. A file whose content equals what was last written (or, before the first write, what
// is on disk) is not written again. A failed write is recorded and announced, never dropped in
// silence.
//
// Files that must change together (a profile import that brings macros along) are asked for as one
// save: they are written in the order given, and when a later one cannot be written the earlier
// ones get back what they held, so a failure leaves them all as they were.
//
// Whoever must know when a change is on disk (a script told "done") passes a Done with the
// request: it is called once the save that took the request in is over.
class StoreWriter {
public:
    // Builds a file's content on the writer thread; nothing is written when it gives nothing.
    using ImageSource = std::function<std::optional<QByteArray>()>;
    // Writes bytes as the whole new content of path; false with a reason on failure.
    using WriteFunction = std::function<bool(const QString& path, const QByteArray& bytes, QString* error)>;
    // Looks at a file just before it is written; a non-empty answer is a reason not to write it
    // (it is reported like a failed write).
    using WriteCheck = std::function<QString(const QString& path)>;
    // Runs around each save on the writer thread, with the paths the save covers. It may look at
    // the files and decide against the save (by not calling save: nothing is written and nothing
    // is reported, as when the files were read again instead); save() builds the contents and
    // writes them, true unless a write failed. It may look at the files again afterwards.
    using SaveGuard = std::function<void(const QStringList& paths, const std::function<bool()>& save)>;
    // Called on the writer thread: an empty error when the files hold the content asked for
    // (written, or already the same), else why not (a failed write, or a save left undone
    // because the files changed beside us or are out of reach).
    using Done = std::function<void(const QString& error)>;

    StoreWriter();
    // Writes everything asked for, then stops the thread.
    ~StoreWriter();
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    void Request(const QString& path, ImageSource image, Done done = {});
    void Request(const QString& path, QByteArray bytes, Done done = {});
    // Files saved as one, written in the order given. It takes the place of saves of the same
    // files still waiting (its contents are built when the writer gets to it, so they are newer).
    // The contents are built last file first, so that a file written earlier is at least as new
    // as the ones after it that refer to it.
    void RequestTogether(const std::vector<std::pair<QString, ImageSource>>& files, Done done = {});
    // What was last written to path no longer tells what is there (it was changed beside us):
    // the next save compares with the file itself.
    void Forget(const QString& path);
    // Waits until no save is waiting or under way (each one written, skipped or failed, and its
    // Done called). For
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
    void SetSaveGuard(SaveGuard guard);
    // Writes done and writes skipped because nothing changed.
    int WriteCount() const;
    int SkipCount() const;

private:
    // One save: a file, or files written together.
    struct Job {
        QStringList paths;
        std::vector<ImageSource> images;
        std::vector<Done> done;  // of every request folded into this save
    };

    void Enqueue(const QString& key, Job job);
    void Run();
    // Empty when the save's files hold what was asked for, else why not.
    QString Save(const Job& job);
    bool WriteInTurn(const Job& job, const std::vector<std::optional<QByteArray>>& bytes, QString* failure);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;   // work arrived or stop
    std::condition_variable m_idle;   // a save finished
    std::deque<QString> m_order;      // saves waiting, in the order they were asked for
    std::map<QString, Job> m_waiting;
    QStringList m_forget;             // paths whose last written content is no longer known
    std::map<QString, QByteArray> m_lastWritten;  // writer thread only
    bool m_busy = false;
    bool m_stop = false;
    QStringList m_failures;
    std::mutex m_handlerMutex;  // held while the handler runs
    std::function<void()> m_failureHandler;  // under m_handlerMutex
    WriteFunction m_write;
    WriteCheck m_check;
    SaveGuard m_guard;
    int m_writes = 0;
    int m_skips = 0;
    std::thread m_thread;
};
