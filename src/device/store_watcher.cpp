#include "device/store_watcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

StoreWatcher::StoreWatcher(QStringList files, QStringList folders, std::function<void()> onChange)
    : m_files(std::move(files)), m_folders(std::move(folders)), m_onChange(std::move(onChange))
{
    m_thread.setObjectName(QStringLiteral("karvo-store-watch"));
    m_watcher = new QFileSystemWatcher;
    m_watcher->moveToThread(&m_thread);
    QObject::connect(m_watcher, &QFileSystemWatcher::fileChanged, m_watcher, [this] { Changed(); });
    QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_watcher, [this] { Changed(); });
    // The first look, on the watch thread as it starts, also catches whatever changed before the
    // watch was in place.
    QObject::connect(&m_thread, &QThread::started, m_watcher, [this] { Changed(); }, Qt::DirectConnection);
    m_thread.start();
}

StoreWatcher::~StoreWatcher()
{
    m_thread.quit();
    m_thread.wait();
    delete m_watcher;
}

void StoreWatcher::Rewatch()
{
    const QStringList watchedFiles = m_watcher->files();
    const QStringList watchedFolders = m_watcher->directories();
    for (const QString& folder : m_folders)
        if (!watchedFolders.contains(folder) && QFileInfo(folder).isDir())
            m_watcher->addPath(folder);
    for (const QString& file : m_files)
        if (!watchedFiles.contains(file) && QFileInfo(file).isFile())
            m_watcher->addPath(file);
}

void StoreWatcher::Changed()
{
    // Watch again first, so that a change made while onChange runs is not missed.
    Rewatch();
    m_onChange();
}
