#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <functional>

class QFileSystemWatcher;

// Watches files and folders on a thread of its own and calls onChange (on that thread) whenever
// one of them changes. A file replaced by a rename is watched again under its name, and a file
// that appears later is picked up through its folder.
class StoreWatcher {
public:
    StoreWatcher(QStringList files, QStringList folders, std::function<void()> onChange);
    ~StoreWatcher();

    StoreWatcher(const StoreWatcher&) = delete;
    StoreWatcher& operator=(const StoreWatcher&) = delete;

private:
    void Rewatch();
    void Changed();

    QStringList m_files;
    QStringList m_folders;
    std::function<void()> m_onChange;
    QThread m_thread;
    QFileSystemWatcher* m_watcher = nullptr;  // lives on m_thread
};
