#include "device/bluez_watcher.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>

#include "device/bluez_names.h"

Q_LOGGING_CATEGORY(lcBle, "karvo.ble", QtInfoMsg)

namespace {

constexpr int kCallTimeoutMs = 5000;

BlueZInterfaces InterfacesFrom(const QVariant& value)
{
    return qdbus_cast<BlueZInterfaces>(value);
}

}  // namespace

void BleWriteTargets::Set(const QStringList& paths)
{
    {
        std::lock_guard lock(m_mutex);
        m_known = true;
        m_paths = paths;
    }
    m_scanned.notify_all();
}

QStringList BleWriteTargets::WaitForPaths(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_scanned.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_known; });
    return m_paths;
}

BlueZWatcher::BlueZWatcher(const QString& busAddress, const QString& connectionName,
                           std::shared_ptr<BleWriteTargets> targets)
    : m_address(busAddress), m_name(connectionName), m_targets(std::move(targets))
{
}

BlueZWatcher::~BlueZWatcher()
{
    if (m_connected)
        QDBusConnection::disconnectFromBus(m_name);
    // A writer must not wait for an answer that will never come.
    m_targets->Set({});
}

void BlueZWatcher::Start()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_name);
    if (!bus.isConnected()) {
        qCInfo(lcBle) << "Bluetooth LE unavailable: no system bus at" << m_address << "-" << bus.lastError().message();
        QDBusConnection::disconnectFromBus(m_name);
        m_targets->Set({});
        emit InitialScanDone(false);
        return;
    }
    m_connected = true;
    // Signals first, then the tree: nothing that changes in between is missed.
    bus.connect(BlueZ::kService, QString(), BlueZ::kObjectManager, QStringLiteral("InterfacesAdded"), this,
                SLOT(OnInterfacesAdded(QDBusMessage)));
    bus.connect(BlueZ::kService, QString(), BlueZ::kObjectManager, QStringLiteral("InterfacesRemoved"), this,
                SLOT(OnInterfacesRemoved(QDBusMessage)));
    bus.connect(BlueZ::kService, QString(), BlueZ::kProperties, QStringLiteral("PropertiesChanged"), this,
                SLOT(OnPropertiesChanged(QDBusMessage)));
    auto* owner = new QDBusServiceWatcher(BlueZ::kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { OnOwnerChanged(newOwner); });
    Scan();
    m_present = m_objects.MousePresent();
    m_targets->Set(m_objects.ReportCharacteristics());
    qCDebug(lcBle) << "BlueZ asked at start; mouse" << (m_present ? "present" : "absent");
    emit InitialScanDone(m_present);
}

bool BlueZWatcher::Scan()
{
    QDBusMessage call = QDBusMessage::createMethodCall(BlueZ::kService, QStringLiteral("/"), BlueZ::kObjectManager,
                                                       QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = QDBusConnection(m_name).call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCInfo(lcBle) << "Bluetooth LE unavailable: BlueZ does not answer -" << reply.errorMessage();
        return false;
    }
    m_objects.Clear();
    const QDBusArgument tree = reply.arguments().at(0).value<QDBusArgument>();
    tree.beginMap();
    while (!tree.atEnd()) {
        QDBusObjectPath path;
        BlueZInterfaces interfaces;
        tree.beginMapEntry();
        tree >> path >> interfaces;
        tree.endMapEntry();
        m_objects.AddInterfaces(path.path(), interfaces);
    }
    tree.endMap();
    if (m_objects.AdapterCount() == 0)
        qCInfo(lcBle) << "Bluetooth LE unavailable: BlueZ has no adapter";
    return true;
}

void BlueZWatcher::OnOwnerChanged(const QString& newOwner)
{
    const bool hadMouse = m_objects.MousePresent();
    m_objects.Clear();
    m_subscribed.clear();
    if (!newOwner.isEmpty()) {
        qCInfo(lcBle) << "BlueZ started";
        Scan();
    } else {
        qCInfo(lcBle) << "BlueZ stopped";
    }
    Evaluate(hadMouse);
}

void BlueZWatcher::SetSubscribing(bool on)
{
    m_subscribing = on;
    if (on)
        SubscribePending();
}

void BlueZWatcher::OnInterfacesAdded(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString path = arguments.at(0).value<QDBusObjectPath>().path();
    m_objects.AddInterfaces(path, InterfacesFrom(arguments.at(1)));
    Evaluate(false);
}

void BlueZWatcher::OnInterfacesRemoved(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString path = arguments.at(0).value<QDBusObjectPath>().path();
    const bool ofMouse = m_objects.BelongsToMouse(path);
    m_objects.RemoveInterfaces(path, qdbus_cast<QStringList>(arguments.at(1)));
    for (auto it = m_subscribed.begin(); it != m_subscribed.end();)
        it = (*it == path || it->startsWith(path + QLatin1Char('/'))) ? m_subscribed.erase(it) : std::next(it);
    Evaluate(ofMouse);
}

void BlueZWatcher::OnPropertiesChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString path = message.path();
    const QString interface = arguments.at(0).toString();
    const QVariantMap changed = qdbus_cast<QVariantMap>(arguments.at(1));

    if (interface == BlueZ::kGattCharacteristic && changed.contains(QStringLiteral("Value"))) {
        if (!m_objects.IsEventCharacteristic(path))
            return;
        const BleNotification notification = DecodeBleNotification(changed.value(QStringLiteral("Value")).toByteArray());
        switch (notification.kind) {
        case BleNotification::Kind::Empty:
            qCDebug(lcBle) << "notification without data";
            return;
        case BleNotification::Kind::TooShort:
            qCDebug(lcBle) << "notification shorter than four bytes dropped";
            return;
        case BleNotification::Kind::Event:
            qCDebug(lcBle) << "event" << Qt::hex << notification.code << notification.value;
            emit EventNotified(notification.code, notification.value);
            return;
        }
        return;
    }
    if (interface != BlueZ::kDevice && interface != BlueZ::kGattCharacteristic)
        return;
    const bool wasMouse = m_objects.BelongsToMouse(path);
    m_objects.ChangeProperties(path, interface, changed);
    const bool disconnected = interface == BlueZ::kDevice && changed.contains(QStringLiteral("Connected"))
                              && !changed.value(QStringLiteral("Connected")).toBool();
    Evaluate(wasMouse && disconnected);
}

void BlueZWatcher::Evaluate(bool mouseLostSomething)
{
    const bool present = m_objects.MousePresent();
    m_targets->Set(m_objects.ReportCharacteristics());
    if (present && !m_present) {
        qCInfo(lcBle) << "Bluetooth LE mouse connected";
        m_present = true;
        emit MouseArrived();
    } else if (!present && (m_present || mouseLostSomething)) {
        if (m_present)
            qCInfo(lcBle) << "Bluetooth LE mouse gone";
        m_present = false;
        // A disconnection ends BlueZ's notifications even where the objects stay: when the mouse
        // comes back, it is subscribed to afresh.
        m_subscribed.clear();
        emit MouseRemoved();
    }
    if (m_subscribing)
        SubscribePending();
}

void BlueZWatcher::SubscribePending()
{
    if (!m_connected)
        return;
    for (const QString& path : m_objects.EventCharacteristics()) {
        if (m_subscribed.count(path))
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(BlueZ::kService, path, BlueZ::kGattCharacteristic,
                                                           QStringLiteral("StartNotify"));
        const QDBusMessage reply = QDBusConnection(m_name).call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            m_subscribed.insert(path);
            qCDebug(lcBle) << "notifications on" << path;
        } else {
            // The mouse still counts as present; the next change of its objects tries again.
            qCDebug(lcBle) << "no notifications on" << path << "-" << reply.errorMessage();
        }
    }
}
