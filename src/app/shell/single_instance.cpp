#include "app/shell/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>

Q_LOGGING_CATEGORY(lcInstance, "karvo.app.instance")

namespace {
const QByteArray kActivateRequest = "activate\n";
const QByteArray kActivateReply = "ok\n";
constexpr int kReplyTimeoutMs = 3000;
}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder)
{
    // The runtime folder is private to the user, so each user has an instance of their own.
    QString base = folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder;
    if (base.isEmpty())
        base = QDir::tempPath();
    QDir().mkpath(base);
    m_lockPath = base + QLatin1Char('/') + name + QStringLiteral(".lock");
    m_socketPath = base + QLatin1Char('/') + name + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::Claim()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);  // only a lock whose process is gone is stale
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // Holding the lock, any socket left behind belongs to a crashed instance.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(m_socketPath))
        qCInfo(lcInstance) << "the running instance listens on" << m_socketPath;
    else
        qCWarning(lcInstance) << "cannot listen on" << m_socketPath << m_server->errorString();
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
                if (!client->canReadLine())
                    return;
                if (client->readLine() != kActivateRequest)
                    return;
                client->write(kActivateReply);
                client->flush();
                qCInfo(lcInstance) << "a second start asks this instance to come forward";
                // Answer first, then come forward: the other process never waits on our windows.
                QTimer::singleShot(0, m_server.get(), [this] {
                    if (m_onActivate)
                        m_onActivate();
                });
            });
        }
    });
    return true;
}

bool SingleInstance::ActivateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kReplyTimeoutMs)) {
        qCInfo(lcInstance) << "the running instance cannot be reached:" << socket.errorString();
        return false;
    }
    socket.write(kActivateRequest);
    if (!socket.waitForBytesWritten(kReplyTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kReplyTimeoutMs))
            return false;
    }
    return socket.readLine() == kActivateReply;
}
