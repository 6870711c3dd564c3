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
    // requestSend asks for one send of the current profile: used when BlueZ's first answer finds
    // the mouse as the only link, so the start-up send reaches it.
    BleLink(DeviceLinks& links, std::function<void()> requestSend, const QString& busAddress);
    ~BleLink();

    void Start();
    BleTransport& Transport() { return *m_transport; }

private:
    DeviceLinks& m_links;
    std::function<void()> m_requestSend;
    std::unique_ptr<BleTransport> m_transport;
};
