#include "core/storage/store_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

void StoreWriter::Request(const QString& path, ImageSource image)
{
    {
        std::lock_guard lock(m_mutex);
        auto [entry, added] = m_waiting.insert_or_assign(path, std::move(image));
        if (added)
            m_order.push_back(path);
    }
    m_wake.notify_all();
}

void StoreWriter::Request(const QString& path, QByteArray bytes)
{
    Request(path, [bytes = std::move(bytes)]() -> std::optional<QByteArray> { return bytes; });
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
        const QString path = m_order.front();
        m_order.pop_front();
        ImageSource image = std::move(m_waiting.at(path));
        m_waiting.erase(path);
        m_busy = true;
        lock.unlock();
        Save(path, image);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

void StoreWriter::Save(const QString& path, const ImageSource& image)
{
    const std::optional<QByteArray> bytes = image ? image() : std::nullopt;
    if (!bytes)
        return;

    if (!m_lastWritten.contains(path)) {
        if (std::optional<QByteArray> onDisk = ReadIfPresent(path))
            m_lastWritten[path] = std::move(*onDisk);
    }
    const auto last = m_lastWritten.find(path);
    if (last != m_lastWritten.end() && last->second == *bytes) {
        std::lock_guard lock(m_mutex);
        ++m_skips;
        return;
    }

    WriteFunction write;
    WriteCheck check;
    {
        std::lock_guard lock(m_mutex);
        write = m_write;
        check = m_check;
    }
    QString error = check ? check(path) : QString();
    const bool written = error.isEmpty() && write(path, *bytes, &error);
    if (written)
        m_lastWritten[path] = *bytes;
    else
        m_lastWritten.erase(path);  // unknown now: the next save writes whatever it holds

    {
        std::lock_guard lock(m_mutex);
        if (written) {
            ++m_writes;
            return;
        }
        m_failures << (error.isEmpty() ? QStringLiteral("%1 could not be written").arg(path) : error);
        qCWarning(lcStorage) << "save failed:" << m_failures.back();
    }
    std::lock_guard lock(m_handlerMutex);
    if (m_failureHandler)
        m_failureHandler();
}
