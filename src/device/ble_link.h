#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "device/ble_transport.h"

class DeviceLinks;

// Joins the Bluetooth LE transport to the links: reports go out through it, its arrivals and
// removals become the links' presence changes, its notifications their device events. Lives on
// the UI thread; every callback it receives runs there.
class BleLink {
public:
    // The links ask for a send themselves when the mouse becomes reachable over Bluetooth LE.
    BleLink(DeviceLinks& links, const QString& busAddress);
    ~BleLink();

    void Start();
    BleTransport& Transport() { return *m_transport; }

private:
    DeviceLinks& m_links;
    std::unique_ptr<BleTransport> m_transport;
};
