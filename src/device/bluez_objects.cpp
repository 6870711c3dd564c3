#include "device/bluez_objects.h"

#include <QDBusObjectPath>

#include "device/bluez_names.h"

namespace {

QString PathValue(const QVariant& value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

bool IsBelow(const QString& path, const QString& parent)
{
    return path.size() > parent.size() && path.startsWith(parent) && path.at(parent.size()) == QLatin1Char('/');
}

}  // namespace

QString BlueZ::SystemBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return address.isEmpty() ? kDefaultSystemBusAddress : address;
}

BleNotification DecodeBleNotification(const QByteArray& data)
{
    BleNotification notification;
    if (data.isEmpty())
        return notification;
    if (data.size() < 4) {
        notification.kind = BleNotification::Kind::TooShort;
        return notification;
    }
    const auto byte = [&data](int i) { return quint16(quint8(data.at(i))); };
    notification.kind = BleNotification::Kind::Event;
    notification.code = quint16(byte(0) | byte(1) << 8);
    notification.value = quint16(byte(2) | byte(3) << 8);
    return notification;
}

void BlueZObjects::Clear()
{
    m_adapters.clear();
    m_devices.clear();
    m_services.clear();
    m_characteristics.clear();
}

void BlueZObjects::AddInterfaces(const QString& path, const BlueZInterfaces& interfaces)
{
    for (auto it = interfaces.begin(); it != interfaces.end(); ++it) {
        if (it.key() == BlueZ::kAdapter) {
            m_adapters.insert(path);
        } else if (it.key() == BlueZ::kDevice) {
            m_devices[path] = {};
            ChangeProperties(path, it.key(), it.value());
        } else if (it.key() == BlueZ::kGattService) {
            m_services[path] = PathValue(it.value().value(QStringLiteral("Device")));
        } else if (it.key() == BlueZ::kGattCharacteristic) {
            m_characteristics[path] = {};
            ChangeProperties(path, it.key(), it.value());
        }
    }
}

void BlueZObjects::RemoveInterfaces(const QString& path, const QStringList& interfaces)
{
    for (const QString& interface : interfaces) {
        if (interface == BlueZ::kAdapter)
            m_adapters.erase(path);
        else if (interface == BlueZ::kDevice)
            m_devices.erase(path);
        else if (interface == BlueZ::kGattService)
            m_services.erase(path);
        else if (interface == BlueZ::kGattCharacteristic)
            m_characteristics.erase(path);
    }
}

void BlueZObjects::ChangeProperties(const QString& path, const QString& interface, const QVariantMap& changed)
{
    if (interface == BlueZ::kDevice) {
        auto device = m_devices.find(path);
        if (device == m_devices.end())
            return;
        if (changed.contains(QStringLiteral("Modalias")))
            device->second.modalias = changed.value(QStringLiteral("Modalias")).toString();
        if (changed.contains(QStringLiteral("Connected")))
            device->second.connected = changed.value(QStringLiteral("Connected")).toBool();
    } else if (interface == BlueZ::kGattCharacteristic) {
        auto characteristic = m_characteristics.find(path);
        if (characteristic == m_characteristics.end())
            return;
        if (changed.contains(QStringLiteral("UUID")))
            characteristic->second.uuid = changed.value(QStringLiteral("UUID")).toString().toLower();
        if (changed.contains(QStringLiteral("Flags")))
            characteristic->second.flags = changed.value(QStringLiteral("Flags")).toStringList();
        if (changed.contains(QStringLiteral("Service")))
            characteristic->second.service = PathValue(changed.value(QStringLiteral("Service")));
    }
}

QString BlueZObjects::DeviceOf(const QString& path) const
{
    if (m_devices.count(path))
        return path;
    if (auto characteristic = m_characteristics.find(path); characteristic != m_characteristics.end()) {
        if (!characteristic->second.service.isEmpty())
            return DeviceOf(characteristic->second.service);
    } else if (auto service = m_services.find(path); service != m_services.end() && !service->second.isEmpty()) {
        return service->second;
    }
    for (const auto& [devicePath, device] : m_devices) {
        if (IsBelow(path, devicePath))
            return devicePath;
    }
    return {};
}

bool BlueZObjects::IsConnectedMouse(const QString& devicePath) const
{
    const auto device = m_devices.find(devicePath);
    return device != m_devices.end() && device->second.connected && BlueZ::IsMouseModalias(device->second.modalias);
}

bool BlueZObjects::MousePresent() const
{
    // BlueZ tells of the connection before it has resolved the mouse's services: until its report
    // characteristic is known a send would reach nothing, so the mouse does not count yet.
    return !ReportCharacteristics().isEmpty();
}

bool BlueZObjects::BelongsToMouse(const QString& path) const
{
    const auto device = m_devices.find(DeviceOf(path));
    if (device != m_devices.end())
        return BlueZ::IsMouseModalias(device->second.modalias);
    return false;
}

QStringList BlueZObjects::Matching(const QString& uuid, const QStringList& flags) const
{
    QStringList paths;  // std::map keeps them in path order
    for (const auto& [path, characteristic] : m_characteristics) {
        if (characteristic.uuid != uuid || !IsConnectedMouse(DeviceOf(path)))
            continue;
        for (const QString& flag : flags) {
            if (characteristic.flags.contains(flag)) {
                paths << path;
                break;
            }
        }
    }
    return paths;
}

QStringList BlueZObjects::ReportCharacteristics() const
{
    return Matching(BlueZ::kReportUuid, {QStringLiteral("write"), QStringLiteral("write-without-response")});
}

QStringList BlueZObjects::EventCharacteristics() const
{
    return Matching(BlueZ::kEventUuid, {QStringLiteral("notify"), QStringLiteral("indicate")});
}

bool BlueZObjects::IsEventCharacteristic(const QString& path) const
{
    return EventCharacteristics().contains(path);
}
