#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

#include "device/bluez_objects.h"

class QDBusMessage;

// The report characteristics of a present mouse, kept by the watcher for the writer. A writer
// that comes before BlueZ has first been asked waits (bounded) for the answer.
class BleWriteTargets {
public:
    void Set(const QStringList& paths);
    // The paths once BlueZ has been asked (or the wait ran out).
    QStringList WaitForPaths(int timeoutMs);

private:
    std::mutex m_mutex;
    std::condition_variable m_scanned;
    bool m_known = false;
    QStringList m_paths;
};

// Follows BlueZ on the system bus from a thread of its own: asks for the object tree once, then
// follows the ObjectManager and Properties signals. Reports the mouse's arrival and removal,
// subscribes to its event characteristic while asked to, and decodes its notifications. Nothing
// here touches the page: the signals reach it on its own thread.
class BlueZWatcher final : public QObject {
    Q_OBJECT
public:
    BlueZWatcher(const QString& busAddress, const QString& connectionName, std::shared_ptr<BleWriteTargets> targets);
    ~BlueZWatcher() override;

    // Both run on the watcher's thread.
    void Start();
    // While on, every event characteristic of the mouse is subscribed to as it appears.
    // Subscriptions already made stay when it is turned off.
    void SetSubscribing(bool on);

signals:
    void InitialScanDone(bool mousePresent);
    void MouseArrived();
    void MouseRemoved();
    void EventNotified(quint16 code, quint16 value);

private slots:
    // QtDBus routes bus signals to slots by name only.
    void OnInterfacesAdded(const QDBusMessage& message);
    void OnInterfacesRemoved(const QDBusMessage& message);
    void OnPropertiesChanged(const QDBusMessage& message);

private:
    bool Scan();
    // BlueZ came or went (a restart of the Bluetooth service): its tree starts afresh.
    void OnOwnerChanged(const QString& newOwner);
    // After every change: arrival, removal (again for every change that took a part of the mouse
    // away while it is absent), the writer's targets and pending subscriptions.
    void Evaluate(bool mouseLostSomething);
    void SubscribePending();

    QString m_address;
    QString m_name;
    std::shared_ptr<BleWriteTargets> m_targets;
    BlueZObjects m_objects;
    bool m_connected = false;
    bool m_present = false;
    bool m_subscribing = false;
    std::set<QString> m_subscribed;
};
