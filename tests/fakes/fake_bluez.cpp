#include "fakes/fake_bluez.h"

#include <QDBusConnection>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>

#include "bluez_object_tree.h"

namespace {

constexpr const char* kAddressVariable = "DBUS_SYSTEM_BUS_ADDRESS";
const QString kMouseModalias = QStringLiteral("usb:v045Ep0040d0001");
// The same numbers from the Bluetooth SIG's vendor-ID source: not the mouse.
const QString kOtherModalias = QStringLiteral("bluetooth:v045Ep0040d0001");
const QString kReportUuid = QStringLiteral("0000fee3-0000-1000-8000-00805f9b34fb");
const QString kEventUuid = QStringLiteral("0000fee4-0000-1000-8000-00805f9b34fb");
std::atomic<int> g_fakeCount{0};

}  // namespace

PrivateSystemBus::PrivateSystemBus() : m_dir(std::make_unique<QTemporaryDir>()), m_daemon(std::make_unique<QProcess>())
{
    m_hadPrevious = qEnvironmentVariableIsSet(kAddressVariable);
    m_previous = qgetenv(kAddressVariable);
    const QString config = m_dir->filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig><type>session</type><listen>unix:dir=%1</listen>\n"
                              "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                              "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>\n")
                   .arg(m_dir->path())
                   .toUtf8());
    file.close();
    m_daemon->start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!m_daemon->waitForStarted(5000))
        return;
    while (!m_daemon->canReadLine() && m_daemon->waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon->readLine()).trimmed();
    if (!m_address.isEmpty())
        qputenv(kAddressVariable, m_address.toUtf8());
}

PrivateSystemBus::~PrivateSystemBus()
{
    if (m_hadPrevious)
        qputenv(kAddressVariable, m_previous);
    else
        qunsetenv(kAddressVariable);
    if (m_daemon->state() != QProcess::NotRunning) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000)) {
            m_daemon->kill();
            m_daemon->waitForFinished();
        }
    }
}

FakeBluez::FakeBluez(Options options)
    : m_connectionName(QStringLiteral("fake-bluez-%1").arg(++g_fakeCount)), m_thread(std::make_unique<QThread>())
{
    if (!QDBusConnection::connectToBus(QString::fromUtf8(qgetenv(kAddressVariable)), m_connectionName).isConnected())
        return;
    m_tree = new BluezObjectTree(m_connectionName);
    m_tree->SetWriteHandler([this](const QString& path, const QByteArray& value, QString* error) {
        std::lock_guard lock(m_mutex);
        m_writes.append({path, value});
        if (m_writesFail)
            *error = QStringLiteral("the mouse did not answer");
        return !m_writesFail;
    });
    m_tree->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_tree, &QObject::deleteLater);
    m_thread->start();
    OnTree([this, options](BluezObjectTree& tree) {
        if (options.adapter)
            tree.AddAdapter(kAdapter);
        if (options.adapter && options.mouse)
            AddMouse(options.mouseConnected);
        if (options.adapter) {
            tree.AddDevice(kOther, kOtherModalias, true);
            tree.AddService(kOther + QStringLiteral("/service0020"), kOther, QStringLiteral("0000fee0-0000-1000-8000-00805f9b34fb"));
            tree.AddCharacteristic(kOtherReport, kOther + QStringLiteral("/service0020"), kReportUuid, {QStringLiteral("write")});
        }
        m_published = tree.Publish();
    });
}

FakeBluez::~FakeBluez()
{
    m_thread->quit();
    m_thread->wait();
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FakeBluez::OnTree(const std::function<void(BluezObjectTree&)>& work)
{
    if (!m_tree)
        return;
    if (QThread::currentThread() == m_thread.get())
        work(*m_tree);
    else
        QMetaObject::invokeMethod(m_tree, [this, work] { work(*m_tree); }, Qt::BlockingQueuedConnection);
}

void FakeBluez::AddMouse(bool connected)
{
    OnTree([connected](BluezObjectTree& tree) {
        tree.AddDevice(kMouse, kMouseModalias, connected);
        const QString information = kMouse + QStringLiteral("/service000a");
        tree.AddService(information, kMouse, QStringLiteral("0000180a-0000-1000-8000-00805f9b34fb"));
        tree.AddCharacteristic(information + QStringLiteral("/char000b"), information,
                               QStringLiteral("00002a50-0000-1000-8000-00805f9b34fb"), {QStringLiteral("read")});
        const QString vendor = kMouse + QStringLiteral("/service0010");
        tree.AddService(vendor, kMouse, QStringLiteral("0000fee0-0000-1000-8000-00805f9b34fb"));
        tree.AddCharacteristic(kReadOnlyReport, vendor, kReportUuid, {QStringLiteral("read")});
        tree.AddCharacteristic(kReport, vendor, kReportUuid, {QStringLiteral("write"), QStringLiteral("write-without-response")});
        tree.AddCharacteristic(kEvent, vendor, kEventUuid, {QStringLiteral("notify")});
    });
}

void FakeBluez::RemoveMouse()
{
    OnTree([](BluezObjectTree& tree) { tree.Remove(kMouse); });
}

void FakeBluez::SetMouseConnected(bool connected)
{
    OnTree([connected](BluezObjectTree& tree) { tree.SetConnected(kMouse, connected); });
}

void FakeBluez::Notify(const QByteArray& value)
{
    OnTree([value](BluezObjectTree& tree) { tree.Notify(kEvent, value); });
}

bool FakeBluez::EventNotifying()
{
    bool notifying = false;
    OnTree([&notifying](BluezObjectTree& tree) { notifying = tree.Notifying(kEvent); });
    return notifying;
}

void FakeBluez::SetWritesFail(bool fail)
{
    std::lock_guard lock(m_mutex);
    m_writesFail = fail;
}

QList<QPair<QString, QByteArray>> FakeBluez::Writes()
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}
