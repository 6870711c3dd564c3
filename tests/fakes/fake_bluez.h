#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

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
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

// BlueZ as the mouse's tests need it, served from a thread of its own on the private bus: an
// adapter; the mouse (Modalias "usb:v045Ep0040d0001") with a device-information service and its
// vendor service holding a 0xFEE3 characteristic without write, then the writable 0xFEE3 and the
// notifying 0xFEE4; and another device whose Modalias has the Bluetooth vendor-ID source, with a
// writable 0xFEE3 of its own.
class FakeBluez {
public:
    static inline const QString kAdapter = QStringLiteral("/org/bluez/hci0");
    static inline const QString kMouse = QStringLiteral("/org/bluez/hci0/dev_C0_FF_EE_00_00_01");
    static inline const QString kReadOnlyReport = kMouse + QStringLiteral("/service0010/char0011");
    static inline const QString kReport = kMouse + QStringLiteral("/service0010/char0013");
    static inline const QString kEvent = kMouse + QStringLiteral("/service0010/char0015");
    static inline const QString kOther = QStringLiteral("/org/bluez/hci0/dev_11_22_33_44_55_66");
    static inline const QString kOtherReport = kOther + QStringLiteral("/service0020/char0021");

    struct Options {
        bool adapter = true;
        bool mouse = true;
        bool mouseConnected = true;
    };

    FakeBluez() : FakeBluez(Options{}) {}
    explicit FakeBluez(Options options);
    ~FakeBluez();
    bool Published() const { return m_published; }

    void AddMouse(bool connected = true);
    void RemoveMouse();
    void SetMouseConnected(bool connected);
    void Notify(const QByteArray& value);
    bool EventNotifying();
    void SetWritesFail(bool fail);
    // Every write the fake took or refused: characteristic path and value.
    QList<QPair<QString, QByteArray>> Writes();

private:
    void OnTree(const std::function<void(BluezObjectTree&)>& work);

    QString m_connectionName;
    std::unique_ptr<QThread> m_thread;
    BluezObjectTree* m_tree = nullptr;
    bool m_published = false;
    std::mutex m_mutex;
    QList<QPair<QString, QByteArray>> m_writes;
    bool m_writesFail = false;
};
