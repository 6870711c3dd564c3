#include "device/ble_transport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>

#include "device/bluez_names.h"
#include "device/bluez_watcher.h"

namespace {
constexpr int kWriteTimeoutMs = 5000;
// A write that comes while BlueZ is still being asked for the first time waits this long for it.
constexpr int kFirstAnswerWaitMs = 5000;
std::atomic<int> g_transportCount{0};
}  // namespace

BleTransport::BleTransport(const QString& busAddress)
    : m_address(busAddress),
      m_namePrefix(QStringLiteral("karvo-ble-%1").arg(++g_transportCount)),
      m_targets(std::make_shared<BleWriteTargets>())
{
}

BleTransport::~BleTransport()
{
    m_context.reset();  // no callback runs from here on
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
    std::lock_guard lock(m_writersMutex);
    for (const auto& [thread, name] : m_writers)
        QDBusConnection::disconnectFromBus(name);
}

void BleTransport::Start(Callbacks callbacks)
{
    if (m_thread)
        return;
    m_context = std::make_unique<QObject>();
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("karvo-ble"));
    m_watcher = new BlueZWatcher(m_address, m_namePrefix + QStringLiteral("-watch"), m_targets);
    m_watcher->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_watcher, &QObject::deleteLater);

    QObject* context = m_context.get();
    if (callbacks.initialScan)
        QObject::connect(m_watcher, &BlueZWatcher::InitialScanDone, context, callbacks.initialScan);
    if (callbacks.arrived)
        QObject::connect(m_watcher, &BlueZWatcher::MouseArrived, context, callbacks.arrived);
    if (callbacks.removed)
        QObject::connect(m_watcher, &BlueZWatcher::MouseRemoved, context, callbacks.removed);
    if (callbacks.event)
        QObject::connect(m_watcher, &BlueZWatcher::EventNotified, context,
                         [event = callbacks.event](quint16 code, quint16 value) { event(code, value); });
    m_thread->start();
    QMetaObject::invokeMethod(m_watcher, &BlueZWatcher::Start, Qt::QueuedConnection);
}

void BleTransport::Arm(bool armed)
{
    m_armed = armed;
    if (m_watcher)
        QMetaObject::invokeMethod(m_watcher, [watcher = m_watcher, armed] { watcher->SetSubscribing(armed); },
                                  Qt::QueuedConnection);
}

QString BleTransport::WriterConnection()
{
    std::lock_guard lock(m_writersMutex);
    const auto found = m_writers.find(std::this_thread::get_id());
    if (found != m_writers.end())
        return found->second;
    const QString name = m_namePrefix + QStringLiteral("-write-%1").arg(m_writers.size() + 1);
    if (!QDBusConnection::connectToBus(m_address, name).isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return {};
    }
    m_writers.emplace(std::this_thread::get_id(), name);
    return name;
}

int BleTransport::WriteReport(const Report& report)
{
    if (!m_armed)
        return 0;
    if (report.empty() || report.size() > kMaxReportBytes) {
        qCWarning(lcBle) << "report of" << report.size() << "bytes refused: at most" << kMaxReportBytes << "go over Bluetooth LE";
        return 0;
    }
    const QStringList paths = m_targets->WaitForPaths(kFirstAnswerWaitMs);
    if (paths.isEmpty()) {
        qCDebug(lcBle) << "no report characteristic: report lost";
        return 0;
    }
    const QString name = WriterConnection();
    if (name.isEmpty()) {
        qCDebug(lcBle) << "no bus for the write: report lost";
        return 0;
    }
    const QByteArray value(reinterpret_cast<const char*>(report.data()), qsizetype(report.size()));
    for (const QString& path : paths) {
        QDBusMessage call = QDBusMessage::createMethodCall(BlueZ::kService, path, BlueZ::kGattCharacteristic,
                                                           QStringLiteral("WriteValue"));
        call << value << QVariantMap();
        const QDBusMessage reply = QDBusConnection(name).call(call, QDBus::Block, kWriteTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            qCDebug(lcBle) << "write success:" << path << report.size() << "bytes";
            return 1;
        }
        qCDebug(lcBle) << "write fail:" << path << reply.errorMessage();
    }
    return 0;
}
