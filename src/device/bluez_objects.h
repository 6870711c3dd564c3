#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <map>
#include <set>

using BlueZInterfaces = QMap<QString, QVariantMap>;

// The part of BlueZ's object tree that concerns the mouse: devices with their Modalias and
// Connected state, GATT services and characteristics with UUID and flags. Fed from
// GetManagedObjects and the ObjectManager and Properties signals; answers which characteristics
// of a connected mouse carry reports and events.
class BlueZObjects {
public:
    void Clear();
    void AddInterfaces(const QString& path, const BlueZInterfaces& interfaces);
    void RemoveInterfaces(const QString& path, const QStringList& interfaces);
    void ChangeProperties(const QString& path, const QString& interface, const QVariantMap& changed);

    int AdapterCount() const { return int(m_adapters.size()); }
    // A connected mouse whose report characteristic is known.
    bool MousePresent() const;
    // Whether the object is a mouse's device (connected or not) or lies below one.
    bool BelongsToMouse(const QString& path) const;
    // Writable 0xFEE3 characteristics of connected mice, in path order.
    QStringList ReportCharacteristics() const;
    // Notifiable 0xFEE4 characteristics of connected mice, in path order.
    QStringList EventCharacteristics() const;
    bool IsEventCharacteristic(const QString& path) const;

private:
    struct Device {
        QString modalias;
        bool connected = false;
    };
    struct Characteristic {
        QString uuid;
        QStringList flags;
        QString service;
    };

    // The device a service or characteristic belongs to: from its properties, else its path.
    QString DeviceOf(const QString& path) const;
    bool IsConnectedMouse(const QString& devicePath) const;
    QStringList Matching(const QString& uuid, const QStringList& flags) const;

    std::set<QString> m_adapters;
    std::map<QString, Device> m_devices;
    std::map<QString, QString> m_services;  // service path -> device path
    std::map<QString, Characteristic> m_characteristics;
};
