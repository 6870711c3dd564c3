#include "device/ble_link.h"

#include "device/device_links.h"

BleLink::BleLink(DeviceLinks& links, const QString& busAddress)
    : m_links(links), m_transport(std::make_unique<BleTransport>(busAddress))
{
    BleTransport* transport = m_transport.get();
    m_links.SetBleWriter([transport](const Report& report) { return transport->WriteReport(report); });
    m_links.SetBleArm([transport](bool armed) { transport->Arm(armed); });
}

BleLink::~BleLink()
{
    // The links may outlive the transport; the device worker must have stopped before this.
    m_links.SetBleWriter({});
    m_links.SetBleArm({});
}

void BleLink::Start()
{
    BleTransport::Callbacks callbacks;
    callbacks.initialScan = [this](bool present) {
        if (present && !m_links.BlePresent())
            m_links.OnBlePresence(true);
    };
    callbacks.arrived = [this] {
        if (!m_links.BlePresent())
            m_links.OnBlePresence(true);
    };
    callbacks.removed = [this] { m_links.OnBlePresence(false); };
    callbacks.event = [this](std::uint16_t code, std::uint16_t value) { m_links.HandleDeviceEvent(code, value); };
    m_transport->Start(std::move(callbacks));
}
