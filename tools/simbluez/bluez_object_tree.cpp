#include "bluez_object_tree.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
const QString kDevice = QStringLiteral("org.bluez.Device1");
const QString kGattService = QStringLiteral("org.bluez.GattService1");
const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");

bool IsAtOrBelow(const QString& path, const QString& top)
{
    return path == top || path.startsWith(top + QLatin1Char('/'));
}

}  // namespace

BluezObjectTree::BluezObjectTree(const QString& connectionName) : m_connectionName(connectionName)
{
    qDBusRegisterMetaType<Interfaces>();
}

bool BluezObjectTree::Publish()
{
    QDBusConnection bus(m_connectionName);
    return bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath)
           && bus.registerService(QStringLiteral("org.bluez"));
}

void BluezObjectTree::Send(const QDBusMessage& signal)
{
    QDBusConnection(m_connectionName).send(signal);
}

void BluezObjectTree::Add(const QString& path, const QString& interface, const QVariantMap& properties)
{
    m_objects[path].interfaces[interface] = properties;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesAdded"));
    signal << QVariant::fromValue(QDBusObjectPath(path)) << QVariant::fromValue(Interfaces{{interface, properties}});
    Send(signal);
}

void BluezObjectTree::AddAdapter(const QString& path)
{
    Add(path, kAdapter, {{QStringLiteral("Powered"), true}, {QStringLiteral("Address"), QStringLiteral("00:00:00:00:00:01")}});
}

void BluezObjectTree::AddDevice(const QString& path, const QString& modalias, bool connected)
{
    QVariantMap properties{{QStringLiteral("Connected"), connected},
                           {QStringLiteral("Paired"), true},
                           {QStringLiteral("Adapter"), QVariant::fromValue(QDBusObjectPath(path.section(QLatin1Char('/'), 0, -2)))}};
    if (!modalias.isEmpty())
        properties.insert(QStringLiteral("Modalias"), modalias);
    Add(path, kDevice, properties);
}

void BluezObjectTree::SetConnected(const QString& path, bool connected)
{
    ChangeProperty(path, kDevice, QStringLiteral("Connected"), connected);
    if (connected)
        return;
    // A disconnection ends every subscription to the device's notifications.
    for (auto& [below, object] : m_objects) {
        if (object.notifying && below.startsWith(path + QLatin1Char('/'))) {
            object.notifying = false;
            ChangeProperty(below, kGattCharacteristic, QStringLiteral("Notifying"), false);
        }
    }
}

void BluezObjectTree::AddService(const QString& path, const QString& device, const QString& uuid)
{
    Add(path, kGattService, {{QStringLiteral("UUID"), uuid},
                             {QStringLiteral("Primary"), true},
                             {QStringLiteral("Device"), QVariant::fromValue(QDBusObjectPath(device))}});
}

void BluezObjectTree::AddCharacteristic(const QString& path, const QString& service, const QString& uuid,
                                        const QStringList& flags)
{
    Add(path, kGattCharacteristic, {{QStringLiteral("UUID"), uuid},
                                    {QStringLiteral("Flags"), flags},
                                    {QStringLiteral("Notifying"), false},
                                    {QStringLiteral("Value"), QByteArray()},
                                    {QStringLiteral("Service"), QVariant::fromValue(QDBusObjectPath(service))}});
}

void BluezObjectTree::Remove(const QString& top)
{
    // Deepest first, as the objects go.
    QStringList doomed;
    for (const auto& [path, object] : m_objects) {
        if (IsAtOrBelow(path, top))
            doomed.prepend(path);
    }
    for (const QString& path : doomed) {
        const QStringList interfaces = m_objects[path].interfaces.keys();
        m_objects.erase(path);
        QDBusMessage signal =
            QDBusMessage::createSignal(QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesRemoved"));
        signal << QVariant::fromValue(QDBusObjectPath(path)) << interfaces;
        Send(signal);
    }
}

void BluezObjectTree::ChangeProperty(const QString& path, const QString& interface, const QString& name,
                                     const QVariant& value)
{
    auto object = m_objects.find(path);
    if (object == m_objects.end() || !object->second.interfaces.contains(interface))
        return;
    object->second.interfaces[interface][name] = value;
    QDBusMessage signal = QDBusMessage::createSignal(path, kProperties, QStringLiteral("PropertiesChanged"));
    signal << interface << QVariantMap{{name, value}} << QStringList();
    Send(signal);
}

void BluezObjectTree::Notify(const QString& path, const QByteArray& value)
{
    auto object = m_objects.find(path);
    if (object == m_objects.end())
        return;
    if (object->second.notifying)
        ChangeProperty(path, kGattCharacteristic, QStringLiteral("Value"), value);
    else
        object->second.interfaces[kGattCharacteristic][QStringLiteral("Value")] = value;
}

bool BluezObjectTree::Notifying(const QString& path) const
{
    const auto object = m_objects.find(path);
    return object != m_objects.end() && object->second.notifying;
}

QString BluezObjectTree::introspect(const QString& path) const
{
    QString xml;
    const auto object = m_objects.find(path);
    if (object == m_objects.end())
        return xml;
    for (const QString& interface : object->second.interfaces.keys())
        xml += QStringLiteral("<interface name=\"%1\"/>").arg(interface);
    return xml;
}

bool BluezObjectTree::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    QDBusMessage reply;
    if (message.interface() == kObjectManager && message.member() == QLatin1String("GetManagedObjects"))
        reply = ManagedObjects(message);
    else if (message.interface() == kProperties)
        reply = Properties(message);
    else if (message.interface() == kGattCharacteristic)
        reply = Characteristic(message);
    else
        reply = message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                         QStringLiteral("no such method"));
    connection.send(reply);
    return true;
}

QDBusMessage BluezObjectTree::ManagedObjects(const QDBusMessage& call) const
{
    QDBusArgument tree;
    tree.beginMap(QMetaType::fromType<QDBusObjectPath>(), QMetaType::fromType<Interfaces>());
    for (const auto& [path, object] : m_objects) {
        tree.beginMapEntry();
        tree << QDBusObjectPath(path) << object.interfaces;
        tree.endMapEntry();
    }
    tree.endMap();
    return call.createReply(QVariant::fromValue(tree));
}

QDBusMessage BluezObjectTree::Properties(const QDBusMessage& call) const
{
    const QVariantList arguments = call.arguments();
    const auto object = m_objects.find(call.path());
    const QString interface = arguments.value(0).toString();
    if (object == m_objects.end() || !object->second.interfaces.contains(interface))
        return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("no such interface"));
    const QVariantMap properties = object->second.interfaces.value(interface);
    if (call.member() == QLatin1String("GetAll"))
        return call.createReply(QVariant::fromValue(properties));
    if (call.member() == QLatin1String("Get") && properties.contains(arguments.value(1).toString()))
        return call.createReply(QVariant::fromValue(QDBusVariant(properties.value(arguments.value(1).toString()))));
    return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("not supported"));
}

QDBusMessage BluezObjectTree::Characteristic(const QDBusMessage& call)
{
    auto object = m_objects.find(call.path());
    if (object == m_objects.end() || !object->second.interfaces.contains(kGattCharacteristic))
        return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"), call.path());
    const QStringList flags = object->second.interfaces[kGattCharacteristic].value(QStringLiteral("Flags")).toStringList();
    const QString member = call.member();
    if (member == QLatin1String("WriteValue")) {
        if (!flags.contains(QStringLiteral("write")) && !flags.contains(QStringLiteral("write-without-response")))
            return call.createErrorReply(QStringLiteral("org.bluez.Error.NotPermitted"), QStringLiteral("Write not permitted"));
        const QByteArray value = call.arguments().value(0).toByteArray();
        QString error = QStringLiteral("Failed");
        if (m_onWrite && !m_onWrite(call.path(), value, &error))
            return call.createErrorReply(QStringLiteral("org.bluez.Error.Failed"), error);
        return call.createReply();
    }
    if (member == QLatin1String("StartNotify") || member == QLatin1String("StopNotify")) {
        if (!flags.contains(QStringLiteral("notify")) && !flags.contains(QStringLiteral("indicate")))
            return call.createErrorReply(QStringLiteral("org.bluez.Error.NotSupported"), QStringLiteral("Notify not supported"));
        const bool on = member == QLatin1String("StartNotify");
        object->second.notifying = on;
        ChangeProperty(call.path(), kGattCharacteristic, QStringLiteral("Notifying"), on);
        return call.createReply();
    }
    return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
}
