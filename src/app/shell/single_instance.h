#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// One running instance per user. The first start holds a lock file and listens on a local socket
// beside it; a later start finds the lock taken, asks the first instance to come forward and
// ends. A crashed first instance leaves a stale lock, which the next start takes over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name, const QString& folder = {});
    ~SingleInstance();

    // True when this process is now the one instance.
    bool Claim();
    // Asks the running instance to come forward. False when it could not be reached.
    bool ActivateRunning();
    // Called on the UI thread when a later start asks this instance to come forward.
    void SetActivationHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }

    QString SocketPath() const { return m_socketPath; }

private:
    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onActivate;
};
