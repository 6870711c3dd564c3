#include "fakes/fake_bluez.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>
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
const QString kVendorUuid = QStringLiteral("0000fee0-0000-1000-8000-00805f9b34fb");
const QString kReportUuid = QStringLiteral("0000fee3-0000-1000-8000-00805f9b34fb");
const QString kEventUuid = QStringLiteral("0000fee4-0000-1000-8000-00805f9b34fb");
const QString kReadOnlyReport = FakeBluez::kMouse + QStringLiteral("/service0010/char0011");
const QString kEvent = FakeBluez::kMouse + QStringLiteral("/service0010/char0015");
const QString kOther = QStringLiteral("/org/bluez/hci0/dev_11_22_33_44_55_66");
std::atomic<int> g_fakeCount{0};

}  // namespace

PrivateSystemBus::PrivateSystemBus() : m_dir(std::make_unique<QTemporaryDir>()), m_daemon(std::make_unique<QProcess>())
{
    if (qEnvironmentVariableIsSet(kAddressVariable))
        m_previous = qgetenv(kAddressVariable);
    QFile config(m_dir->filePath(QStringLiteral("bus.conf")));
    const QString policy = QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen><policy context=\"default\">"
                                          "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                                          "<allow receive_sender=\"*\"/></policy></busconfig>\n");
    if (!config.open(QIODevice::WriteOnly) || config.write(policy.arg(m_dir->path()).toUtf8()) < 0 || !config.flush())
        return;
    m_daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1")});
    // The daemon prints its address once it listens; under load that may take a while.
    for (QDeadlineTimer deadline(20000); m_daemon->waitForStarted(20000) && !m_daemon->canReadLine() && !deadline.hasExpired();)
        m_daemon->waitForReadyRead(int(deadline.remainingTime()));
    m_address = QString::fromUtf8(m_daemon->readLine()).trimmed();
    if (!m_address.isEmpty())
        qputenv(kAddressVariable, m_address.toUtf8());
}

PrivateSystemBus::~PrivateSystemBus()
{
    m_previous ? qputenv(kAddressVariable, *m_previous) : qunsetenv(kAddressVariable);
    m_daemon->terminate();
    if (!m_daemon->waitForFinished(20000))
        m_daemon->kill(), m_daemon->waitForFinished();
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
        tree.AddAdapter(QStringLiteral("/org/bluez/hci0"));
        if (options.mouse)
            AddMouse();
        tree.AddDevice(kOther, kOtherModalias, true);
        tree.AddService(kOther + QStringLiteral("/service0020"), kOther, kVendorUuid);
        tree.AddCharacteristic(kOther + QStringLiteral("/service0020/char0021"), kOther + QStringLiteral("/service0020"), kReportUuid,
                               {QStringLiteral("write")});
        m_published = tree.Publish();
    });
}

FakeBluez::~FakeBluez()
{
    m_thread->quit();
    m_thread->wait();  // the tree goes with the thread
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FakeBluez::OnTree(const std::function<void(BluezObjectTree&)>& work)
{
    if (m_tree)  // from the tree's own thread (the constructor's set-up) directly, else waiting for it
        QMetaObject::invokeMethod(m_tree, [this, work] { work(*m_tree); },
                                  QThread::currentThread() == m_thread.get() ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
}

void FakeBluez::AddMouse(bool connected, bool withServices)
{
    OnTree([connected](BluezObjectTree& tree) { tree.AddDevice(kMouse, kMouseModalias, connected); });
    if (withServices)
        AddMouseServices();
}

void FakeBluez::AddMouseServices()
{
    OnTree([](BluezObjectTree& tree) {
        const QString vendor = kMouse + QStringLiteral("/service0010");
        tree.AddService(vendor, kMouse, kVendorUuid);
        tree.AddCharacteristic(kReadOnlyReport, vendor, kReportUuid, {QStringLiteral("read")});
        tree.AddCharacteristic(kReport, vendor, kReportUuid, {QStringLiteral("write"), QStringLiteral("write-without-response")});
        tree.AddCharacteristic(kEvent, vendor, kEventUuid, {QStringLiteral("notify")});
    });
}

void FakeBluez::RemoveMouse() { OnTree([](BluezObjectTree& tree) { tree.Remove(kMouse); }); }
void FakeBluez::SetMouseConnected(bool connected) { OnTree([connected](BluezObjectTree& tree) { tree.SetConnected(kMouse, connected); }); }
void FakeBluez::Notify(const QByteArray& value) { OnTree([value](BluezObjectTree& tree) { tree.Notify(kEvent, value); }); }

bool FakeBluez::EventNotifying()
{
    bool notifying = false;
    return OnTree([&notifying](BluezObjectTree& tree) { notifying = tree.Notifying(kEvent); }), notifying;
}

QList<QPair<QString, QByteArray>> FakeBluez::Writes()
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}
