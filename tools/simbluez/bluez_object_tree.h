#pragma once

#include <QByteArray>
#include <QDBusVirtualObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <map>

// A stand-in for BlueZ's object tree on a bus: adapters, devices, GATT services and
// characteristics, with the ObjectManager, Properties and GattCharacteristic1 calls the utility
// makes and the signals BlueZ raises. Lives on one thread; every method below is called there.
class BluezObjectTree final : public QDBusVirtualObject {
public:
    using Interfaces = QMap<QString, QVariantMap>;
    // Decides a write: true when the value was taken; otherwise *error names the failure.
    using WriteHandler = std::function<bool(const QString& path, const QByteArray& value, QString* error)>;

    explicit BluezObjectTree(const QString& connectionName);
    // Registers the tree at "/" and takes the name org.bluez on the connection.
    bool Publish();

    void AddAdapter(const QString& path);
    void AddDevice(const QString& path, const QString& modalias, bool connected);
    void SetConnected(const QString& path, bool connected);
    void AddService(const QString& path, const QString& device, const QString& uuid);
    void AddCharacteristic(const QString& path, const QString& service, const QString& uuid, const QStringList& flags);
    // Removes the object and everything below it, as BlueZ does when a device goes.
    void Remove(const QString& path);
    // A new value of a characteristic; subscribers hear it when notifications are on.
    void Notify(const QString& path, const QByteArray& value);
    bool Notifying(const QString& path) const;
    bool Contains(const QString& path) const { return m_objects.count(path) != 0; }
    void SetWriteHandler(WriteHandler handler) { m_onWrite = std::move(handler); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    struct Object {
        Interfaces interfaces;
        bool notifying = false;
    };

    void Add(const QString& path, const QString& interface, const QVariantMap& properties);
    void ChangeProperty(const QString& path, const QString& interface, const QString& name, const QVariant& value);
    void Send(const QDBusMessage& signal);
    QDBusMessage ManagedObjects(const QDBusMessage& call) const;
    QDBusMessage Properties(const QDBusMessage& call) const;
    QDBusMessage Characteristic(const QDBusMessage& call);

    QString m_connectionName;
    std::map<QString, Object> m_objects;
    WriteHandler m_onWrite;
};
