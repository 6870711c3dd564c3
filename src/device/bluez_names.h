#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcBle)

// What the Bluetooth LE mouse looks like through BlueZ on the system bus: its Device1 carries a
// Modalias naming the USB vendor-ID source with vendor 045E and product 0040; reports are written
// to its 0xFEE3 characteristic and its events arrive as notifications of 0xFEE4.
namespace BlueZ {
inline const QString kService = QStringLiteral("org.bluez");
inline const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
inline const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
inline const QString kDevice = QStringLiteral("org.bluez.Device1");
inline const QString kGattService = QStringLiteral("org.bluez.GattService1");
inline const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");

inline const QString kReportUuid = QStringLiteral("0000fee3-0000-1000-8000-00805f9b34fb");
inline const QString kEventUuid = QStringLiteral("0000fee4-0000-1000-8000-00805f9b34fb");
// "usb:" is the USB Implementers Forum vendor-ID source; the device version follows the "d".
inline const QString kMouseModaliasPrefix = QStringLiteral("usb:v045Ep0040d");

inline const QString kDefaultSystemBusAddress = QStringLiteral("unix:path=/var/run/dbus/system_bus_socket");

// The system bus as this process finds it: $DBUS_SYSTEM_BUS_ADDRESS, else the usual socket.
QString SystemBusAddress();

inline bool IsMouseModalias(const QString& modalias)
{
    return modalias.startsWith(kMouseModaliasPrefix, Qt::CaseInsensitive);
}
}  // namespace BlueZ

// One notification of the event characteristic, as the page's event handler takes it.
struct BleNotification {
    enum class Kind { Event, Empty, TooShort };
    Kind kind = Kind::Empty;
    quint16 code = 0;
    quint16 value = 0;
};

// Code from bytes 0-1 and value from bytes 2-3, both little-endian; later bytes are ignored.
BleNotification DecodeBleNotification(const QByteArray& data);
