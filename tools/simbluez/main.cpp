// karvo-simbluez: the demo's stand-in for BlueZ. On a private bus named by
// DBUS_SYSTEM_BUS_ADDRESS it offers the emulated mouse as a Bluetooth LE mouse while the mouse is
// paired ("karvo-simctl ble pair"), hands every report written to its 0xFEE3 characteristic to
// the emulated mouse, and notifies the mouse's events on 0xFEE4.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QLocalSocket>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bluez_object_tree.h"
#include "control_socket_path.h"

namespace {

constexpr int kExitBadInput = 2;
constexpr int kRetryMs = 300;
constexpr int kSocketWaitMs = 3000;

const QString kAdapter = QStringLiteral("/org/bluez/hci0");
const QString kMouse = kAdapter + QStringLiteral("/dev_C0_FF_EE_00_00_01");
const QString kVendorService = kMouse + QStringLiteral("/service0010");
const QString kReport = kVendorService + QStringLiteral("/char0011");
const QString kEvent = kVendorService + QStringLiteral("/char0013");

QString SocketPath()
{
    return QString::fromStdString(sim::ControlSocketPath());
}

void AddMouse(BluezObjectTree& tree)
{
    if (tree.Contains(kMouse))
        return;
    tree.AddDevice(kMouse, QStringLiteral("usb:v045Ep0040d0001"), true);
    tree.AddService(kVendorService, kMouse, QStringLiteral("0000fee0-0000-1000-8000-00805f9b34fb"));
    tree.AddCharacteristic(kReport, kVendorService, QStringLiteral("0000fee3-0000-1000-8000-00805f9b34fb"),
                           {QStringLiteral("write"), QStringLiteral("write-without-response")});
    tree.AddCharacteristic(kEvent, kVendorService, QStringLiteral("0000fee4-0000-1000-8000-00805f9b34fb"),
                           {QStringLiteral("notify")});
}

// One command to the emulated mouse and its one-line answer; empty when it cannot be reached.
QString AskMouse(const QByteArray& line)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(kSocketWaitMs))
        return {};
    socket.write(line + '\n');
    socket.waitForBytesWritten(kSocketWaitMs);
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(kSocketWaitMs))
        reply += socket.readAll();
    reply += socket.readAll();
    return QString::fromUtf8(reply).trimmed();
}

// Follows the emulated mouse's pairing and events over a kept-open "watch ble" connection,
// reconnecting while the utility (which hosts the emulated mouse) is not running.
class MouseWatch {
public:
    explicit MouseWatch(BluezObjectTree& tree) : m_tree(tree)
    {
        QObject::connect(&m_socket, &QLocalSocket::connected, [this] { m_socket.write("watch ble\n"); });
        QObject::connect(&m_socket, &QLocalSocket::readyRead, [this] { ReadLines(); });
        QObject::connect(&m_socket, &QLocalSocket::disconnected, [this] { Retry(); });
        QObject::connect(&m_socket, &QLocalSocket::errorOccurred, [this](QLocalSocket::LocalSocketError) { Retry(); });
        m_retry.setSingleShot(true);
        m_retry.setInterval(kRetryMs);
        QObject::connect(&m_retry, &QTimer::timeout, [this] { m_socket.connectToServer(SocketPath()); });
        m_retry.start();
    }

private:
    void Retry()
    {
        m_socket.abort();
        if (!m_retry.isActive())
            m_retry.start();
    }

    void ReadLines()
    {
        while (m_socket.canReadLine()) {
            const QString line = QString::fromUtf8(m_socket.readLine()).trimmed();
            const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (line == QLatin1String("paired")) {
                AddMouse(m_tree);
            } else if (line == QLatin1String("unpaired")) {
                m_tree.Remove(kMouse);
            } else if (words.size() == 3 && words[0] == QLatin1String("event")) {
                const uint code = words[1].toUInt();
                const uint value = words[2].toUInt();
                const char bytes[4] = {char(code & 0xFF), char(code >> 8), char(value & 0xFF), char(value >> 8)};
                m_tree.Notify(kEvent, QByteArray(bytes, 4));
            }
        }
    }

    BluezObjectTree& m_tree;
    QLocalSocket m_socket;
    QTimer m_retry;
};

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    if (address.isEmpty()) {
        // The machine's own system bus belongs to the real BlueZ.
        std::fputs("karvo-simbluez: set DBUS_SYSTEM_BUS_ADDRESS to a private bus (scripts/run starts one)\n", stderr);
        return kExitBadInput;
    }
    const QString name = QStringLiteral("karvo-simbluez");
    if (!QDBusConnection::connectToBus(address, name).isConnected()) {
        std::fprintf(stderr, "karvo-simbluez: no bus at %s\n", qPrintable(address));
        return kExitBadInput;
    }
    BluezObjectTree tree(name);
    tree.AddAdapter(kAdapter);
    // A mouse paired from the start is there before the utility first asks.
    if (const char* paired = std::getenv("KARVO_SIM_BLE"); paired && std::strcmp(paired, "0") != 0)
        AddMouse(tree);
    tree.SetWriteHandler([](const QString&, const QByteArray& value, QString* error) {
        const QString answer = AskMouse("ble write " + value.toHex(' '));
        if (answer == QLatin1String("accepted"))
            return true;
        *error = answer.isEmpty() ? QStringLiteral("the mouse does not answer") : answer;
        return false;
    });
    if (!tree.Publish()) {
        std::fprintf(stderr, "karvo-simbluez: cannot take the name org.bluez on %s\n", qPrintable(address));
        return kExitBadInput;
    }
    MouseWatch watch(tree);
    std::fprintf(stderr, "karvo-simbluez: offering the emulated mouse over Bluetooth LE on %s\n", qPrintable(address));
    return app.exec();
}
