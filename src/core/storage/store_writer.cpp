#include "core/storage/store_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "core/storage/store_access.h"
#include "core/storage/store_files.h"

#ifdef __linux__
#include <pthread.h>
#endif

namespace {

bool WriteToDisk(const QString& path, const QByteArray& bytes, QString* error)
{
    // The store folder is made when it is missing (one level only).
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder)) {
        *error = QStringLiteral("the folder %1 could not be made").arg(folder);
        return false;
    }
    if (!WriteFileAtomically(path, {QByteArrayView(bytes)})) {
        *error = QStringLiteral("%1 could not be written").arg(path);
        return false;
    }
    return true;
}

// What is on disk now, to compare with before the first write of a file.
std::optional<QByteArray> ReadIfPresent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

}  // namespace

StoreWriter::StoreWriter() : m_write(WriteToDisk), m_thread([this] { Run(); })
{
#ifdef __linux__
    pthread_setname_np(m_thread.native_handle(), "store-writer");
#endif
}

StoreWriter::~StoreWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void StoreWriter::Enqueue(const QString& key, Job job)
{
    {
        std::lock_guard lock(m_mutex);
        // A save of several files takes the place of the single saves of those files still
        // waiting: it builds their contents later, so it writes what they would have, or newer.
        // Whoever waited for a save that is folded away waits for the one that takes its place.
        const auto takeOver = [&job](Job& replaced) {
            job.done.insert(job.done.begin(), replaced.done.begin(), replaced.done.end());
        };
        if (job.paths.size() > 1) {
            for (const QString& path : job.paths) {
                const auto waiting = m_waiting.find(path);
                if (waiting == m_waiting.end())
                    continue;
                takeOver(waiting->second);
                m_waiting.erase(waiting);
                m_order.erase(std::find(m_order.begin(), m_order.end(), path));
            }
        }
        if (const auto waiting = m_waiting.find(key); waiting != m_waiting.end())
            takeOver(waiting->second);
        auto [entry, added] = m_waiting.insert_or_assign(key, std::move(job));
        if (added)
            m_order.push_back(key);
    }
    m_wake.notify_all();
}

void StoreWriter::Request(const QString& path, ImageSource image, Done done)
{
    Job job{{path}, {std::move(image)}, {}};
    if (done)
        job.done.push_back(std::move(done));
    Enqueue(path, std::move(job));
}

void StoreWriter::RequestTogether(const std::vector<std::pair<QString, ImageSource>>& files, Done done)
{
    Job job;
    if (done)
        job.done.push_back(std::move(done));
    for (const auto& [path, image] : files) {
        job.paths << path;
        job.images.push_back(image);
    }
    Enqueue(job.paths.join(QLatin1Char('\n')), std::move(job));
}

void StoreWriter::Forget(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_forget << path;
}

void StoreWriter::Request(const QString& path, QByteArray bytes, Done done)
{
    Request(path, [bytes = std::move(bytes)]() -> std::optional<QByteArray> { return bytes; }, std::move(done));
}

void StoreWriter::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_order.empty() && !m_busy; });
}

void StoreWriter::SetFailureHandler(std::function<void()> handler)
{
    std::lock_guard lock(m_handlerMutex);
    m_failureHandler = std::move(handler);
}

QStringList StoreWriter::TakeFailures()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_failures, {});
}

void StoreWriter::SetWriteFunction(WriteFunction write)
{
    std::lock_guard lock(m_mutex);
    m_write = std::move(write);
}

void StoreWriter::SetWriteCheck(WriteCheck check)
{
    std::lock_guard lock(m_mutex);
    m_check = std::move(check);
}

void StoreWriter::SetSaveGuard(SaveGuard guard)
{
    std::lock_guard lock(m_mutex);
    m_guard = std::move(guard);
}

int StoreWriter::WriteCount() const
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}

int StoreWriter::SkipCount() const
{
    std::lock_guard lock(m_mutex);
    return m_skips;
}

void StoreWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_order.empty(); });
        if (m_order.empty())
            return;  // stopping, and everything asked for is written
        const QString key = m_order.front();
        m_order.pop_front();
        Job job = std::move(m_waiting.at(key));
        m_waiting.erase(key);
        m_busy = true;
        lock.unlock();
        const QString outcome = Save(job);
        for (const Done& done : job.done)
            done(outcome);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

QString StoreWriter::Save(const Job& job)
{
    SaveGuard guard;
    {
        std::lock_guard lock(m_mutex);
        guard = m_guard;
    }
    // Taken as late as possible: the guard may find a file changed just before the save.
    const auto forget = [this] {
        QStringList paths;
        {
            std::lock_guard lock(m_mutex);
            paths = std::exchange(m_forget, {});
        }
        for (const QString& path : paths)
            m_lastWritten.erase(path);
    };

    bool saved = false;
    QString failure;
    const auto save = [&]() -> bool {
        saved = true;
        forget();
        // Built last file first: see RequestTogether().
        std::vector<std::optional<QByteArray>> bytes(job.images.size());
        for (std::size_t i = job.images.size(); i-- > 0;)
            bytes[i] = job.images[i] ? job.images[i]() : std::nullopt;
        bool any = false;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (!bytes[i])
                continue;
            const QString& path = job.paths[int(i)];
            if (!m_lastWritten.contains(path)) {
                if (std::optional<QByteArray> onDisk = ReadIfPresent(path))
                    m_lastWritten[path] = std::move(*onDisk);
            }
            const auto last = m_lastWritten.find(path);
            if (last != m_lastWritten.end() && last->second == *bytes[i]) {
                bytes[i].reset();
                std::lock_guard lock(m_mutex);
                ++m_skips;
                continue;
            }
            any = true;
        }
        return !any || WriteInTurn(job, bytes, &failure);
    };
    if (guard)
        guard(job.paths, save);
    else
        save();
    forget();
    if (!saved) {
        // Left alone: what the files hold is not what was last written any more.
        for (const QString& path : job.paths)
            m_lastWritten.erase(path);
        return QStringLiteral("%1 was not written: it changed on disk meanwhile, or cannot be read")
            .arg(job.paths.join(QStringLiteral(", ")));
    }
    return failure;
}

bool StoreWriter::WriteInTurn(const Job& job, const std::vector<std::optional<QByteArray>>& bytes, QString* failure)
{
    WriteFunction write;
    WriteCheck check;
    {
        std::lock_guard lock(m_mutex);
        write = m_write;
        check = m_check;
    }
    // What each file held before it was written, to put back when a later one fails.
    struct Written {
        QString path;
        StoreFileState before = StoreFileState::Missing;
        QByteArray previous;
    };
    std::vector<Written> written;
    const bool together = job.paths.size() > 1;
    QString error;
    for (std::size_t i = 0; i < bytes.size() && error.isEmpty(); ++i) {
        if (!bytes[i])
            continue;
        Written entry;
        entry.path = job.paths[int(i)];
        QString reason;
        if (together) {
            entry.before = ReadStoreBytes(entry.path, &entry.previous, &reason);
            if (entry.before == StoreFileState::Unreadable) {
                error = QStringLiteral("%1 could not be read (%2) and was not written").arg(entry.path, reason);
                break;
            }
        }
        error = check ? check(entry.path) : QString();
        if (error.isEmpty() && write(entry.path, *bytes[i], &error)) {
            m_lastWritten[entry.path] = *bytes[i];
            written.push_back(std::move(entry));
            std::lock_guard lock(m_mutex);
            ++m_writes;
            continue;
        }
        m_lastWritten.erase(entry.path);  // unknown now: the next save writes whatever it holds
        if (error.isEmpty())
            error = QStringLiteral("%1 could not be written").arg(entry.path);
    }
    if (error.isEmpty())
        return true;

    // The files written before the failure get back what they held, so the save leaves no half.
    for (auto entry = written.rbegin(); entry != written.rend(); ++entry) {
        QString ignored;
        const bool restored = entry->before == StoreFileState::Missing ? QFile::remove(entry->path)
                                                                        : write(entry->path, entry->previous, &ignored);
        m_lastWritten.erase(entry->path);
        if (!restored)
            error += QStringLiteral("; %1 keeps its new content").arg(entry->path);
    }
    *failure = error;
    {
        std::lock_guard lock(m_mutex);
        m_failures << error;
        qCWarning(lcStorage) << "save failed:" << m_failures.back();
    }
    std::lock_guard lock(m_handlerMutex);
    if (m_failureHandler)
        m_failureHandler();
    return false;
}
