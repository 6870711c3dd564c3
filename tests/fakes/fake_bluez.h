#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class BluezObjectTree;
class QProcess;
class QTemporaryDir;
class QThread;

// A dbus-daemon of the test's own, standing in for the system bus: DBUS_SYSTEM_BUS_ADDRESS points
// at it while it runs, and is put back afterwards.
class PrivateSystemBus {
public:
    PrivateSystemBus();
    ~PrivateSystemBus();
    bool Running() const { return !m_address.isEmpty(); }
    QString Address() const { return m_address; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_daemon;
    QString m_address;
    std::optional<QByteArray> m_previous;
};

// BlueZ as the mouse's tests need it, served from a thread of its own on the private bus: an
// adapter; the mouse (Modalias "usb:v045Ep0040d0001") with its vendor service holding a 0xFEE3
// characteristic without write, then the writable 0xFEE3 and the notifying 0xFEE4; and another
// device whose Modalias has the Bluetooth vendor-ID source, with a writable 0xFEE3 of its own.
class FakeBluez {
public:
    static inline const QString kMouse = QStringLiteral("/org/bluez/hci0/dev_C0_FF_EE_00_00_01");
    static inline const QString kReport = kMouse + QStringLiteral("/service0010/char0013");  // the writable 0xFEE3

    struct Options { bool mouse = true; };

    FakeBluez() : FakeBluez(Options{}) {}
    explicit FakeBluez(Options options);
    ~FakeBluez();
    bool Published() const { return m_published; }

    void AddMouse(bool connected = true, bool withServices = true);
    void AddMouseServices();  // BlueZ resolved the mouse's services after telling of it
    void RemoveMouse();  // unpaired: its objects go, the device last
    void SetMouseConnected(bool connected);
    void Notify(const QByteArray& value);  // on 0xFEE4
    bool EventNotifying();
    void SetWritesFail(bool fail) { m_writesFail = fail; }  // the mouse stops answering WriteValue
    QList<QPair<QString, QByteArray>> Writes();  // every write taken or refused: characteristic path and value

private:
    void OnTree(const std::function<void(BluezObjectTree&)>& work);

    QString m_connectionName;
    std::unique_ptr<QThread> m_thread;
    BluezObjectTree* m_tree = nullptr;  // lives on m_thread
    bool m_published = false;
    std::mutex m_mutex;  // guards m_writes
    QList<QPair<QString, QByteArray>> m_writes;
    std::atomic<bool> m_writesFail{false};
};
