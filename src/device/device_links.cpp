#include "device/device_links.h"

#include <QLoggingCategory>

#include "device/device_clock.h"
#include "device/link_code.h"
#include "device/profile_session.h"

Q_LOGGING_CATEGORY(lcLinks, "karvo.device.links")

namespace {

namespace Event {
constexpr std::uint16_t kDpiStage = 0x1000;
constexpr std::uint16_t kPollingRate = 0x2000;
constexpr std::uint16_t kStatus = 0x4010;
constexpr std::uint16_t kBattery = 0x6000;
constexpr std::uint16_t kLightEffect = 0x7000;
constexpr std::uint16_t kUnsettled = 0x8000;
constexpr std::uint16_t kFirstFromDriver = 0x1000;
constexpr std::uint16_t kLastFromDriver = 0x9000;
}  // namespace Event

}  // namespace

DeviceLinks::DeviceLinks(DeviceLinkHost& host, ProfileSession& session, DeviceClock& clock)
    : m_host(host), m_session(session), m_clock(clock)
{
}

DeviceLinks::~DeviceLinks()
{
    *m_alive = false;
}

void DeviceLinks::LoadDrivers(const QString& folder)
{
    for (auto [link, name] : {std::pair{&m_cable, KARVO_CABLE_LIBRARY}, std::pair{&m_receiver, KARVO_RECEIVER_LIBRARY}}) {
        QString error;
        link->library = DriverLibrary::Load(folder + QLatin1String(name), &error);
        if (link->library)
            link->functions = link->library->Functions();
        else
            qCInfo(lcLinks) << "link unavailable:" << error;
    }
}

void DeviceLinks::SetCableDriver(const DriverFunctions& functions)
{
    m_cable.functions = functions;
}

void DeviceLinks::SetReceiverDriver(const DriverFunctions& functions)
{
    m_receiver.functions = functions;
}

bool DeviceLinks::OpenLink(Link& link, std::int32_t productId, const KarvoPostTarget* target, LinkMessages messages)
{
    if (!link.Usable())
        return false;
    link.functions.Set_VIDPID(kVendorId, productId);
    link.functions.Open_DevMonitor(target, messages.eventMessage, messages.linkMessage);
    return link.functions.Open_FeatureDevice() != 0;
}

void DeviceLinks::Open(const KarvoPostTarget* target, LinkMessages cable, LinkMessages receiver)
{
    // hidapi keeps process-wide state that is not safe to share between threads, and the driver
    // libraries' monitors use it from their own threads once they are open: the probe goes first.
    const bool blePresent = m_bleProbe && m_bleProbe();

    if (OpenLink(m_cable, kCableProductId, target, cable)) {
        m_cable.state = LinkState::Open;
        m_asleep = false;
        m_host.ShowIndicator(Indicator::SleepNotice, false);
        m_host.ShowCharging();
        m_host.ShowIndicator(Indicator::Wired, true);
    } else {
        m_cable.state = LinkState::NotOpened;
        m_asleep = true;
        m_host.ShowIndicator(Indicator::SleepNotice, true);
        m_host.ShowIndicator(Indicator::Wired, false);
    }

    if (OpenLink(m_receiver, kReceiverProductId, target, receiver)) {
        m_receiver.state = LinkState::Open;
        m_host.StartOnlineWatchdog();
        m_host.ShowIndicator(Indicator::Wireless, true);
    } else {
        m_receiver.state = LinkState::NotOpened;
        m_host.ShowIndicator(Indicator::Wireless, false);
    }

    m_blePresent = blePresent;
    m_anyLinkConnected = AnyLinkUp();
    m_host.PostDeviceState();
}

void DeviceLinks::Shutdown()
{
    for (Link* link : {&m_receiver, &m_cable}) {
        if (link->Usable()) {
            link->functions.Close_FeatureDevice();
            link->functions.Close_DevMonitor();
        }
    }
    m_receiver.functions = {};
    m_cable.functions = {};
    m_receiver.library.reset();
    m_cable.library.reset();
}

bool DeviceLinks::AnyLinkUp() const
{
    return m_cable.state == LinkState::Open || m_receiver.state == LinkState::Open || m_blePresent;
}

bool DeviceLinks::MouseReachable() const
{
    if (m_asleep)
        return false;
    return m_cable.state == LinkState::Open || (m_receiver.state == LinkState::Open && m_mouseOnline) || m_blePresent;
}

void DeviceLinks::SendIfReachedAgain(bool wasReachable, bool linkCameUp)
{
    if (wasReachable || !MouseReachable())
        return;
    if (linkCameUp)
        m_session.Locked([](ProfileSession::State& state) { state.fullSend = true; });
    m_host.RequestSend();
}

void DeviceLinks::HandleWiredLink(std::uint32_t linkCode)
{
    if (linkCode == LinkCode::kArrived) {
        ScheduleArrival(m_cable, &DeviceLinks::CompleteCableArrival);
    } else if (linkCode == LinkCode::kRemoved) {
        m_cable.arrivalPending = false;  // a removal overtakes an arrival still in its pause
        if (m_cable.state != LinkState::Removed)
            CableRemoved();
    } else {
        HandleOtherCodes(linkCode);
    }
}

void DeviceLinks::ScheduleArrival(Link& link, void (DeviceLinks::*complete)())
{
    if (link.state == LinkState::Open || link.arrivalPending)
        return;
    // The device needs a moment after arriving; the window stays responsive meanwhile, and a
    // removal in that moment cancels the arrival.
    link.arrivalPending = true;
    const unsigned generation = ++link.arrivalGeneration;
    m_clock.RunAfter(kArrivalPauseMs, [this, &link, complete, alive = m_alive, generation] {
        if (*alive && link.arrivalPending && link.arrivalGeneration == generation)
            (this->*complete)();
    });
}

void DeviceLinks::CompleteCableArrival()
{
    const bool wasReachable = MouseReachable();
    m_cable.arrivalPending = false;
    m_cable.state = LinkState::Open;
    if (m_cable.Usable())
        m_cable.functions.Open_FeatureDevice();
    m_asleep = false;
    m_host.ShowIndicator(Indicator::SleepNotice, false);
    m_host.ShowIndicator(Indicator::Wired, true);
    m_host.ApplyLinkLayout();
    m_chargingCounter = 0;
    m_host.ShowCharging();
    if (m_receiver.state != LinkState::Open && !m_blePresent) {
        m_anyLinkConnected = true;
        m_host.PostDeviceState();
    }
    SendIfReachedAgain(wasReachable, true);
}

void DeviceLinks::CableRemoved()
{
    m_cable.state = LinkState::Removed;
    if (m_cable.Usable())
        m_cable.functions.Close_FeatureDevice();
    m_asleep = true;
    m_host.ShowIndicator(Indicator::SleepNotice, true);
    m_host.ShowIndicator(Indicator::Wired, false);
    m_host.ApplyLinkLayout();
    m_host.ClearPowerDisplay();
    if (m_receiver.state != LinkState::Open && !m_blePresent) {
        m_anyLinkConnected = false;
        m_host.PostDeviceState();
    }
}

void DeviceLinks::HandleReceiverLink(std::uint32_t linkCode)
{
    if (linkCode == LinkCode::kArrived) {
        ScheduleArrival(m_receiver, &DeviceLinks::CompleteReceiverArrival);
    } else if (linkCode == LinkCode::kRemoved) {
        m_receiver.arrivalPending = false;
        if (m_receiver.state != LinkState::Removed)
            ReceiverRemoved();
    } else {
        HandleOtherCodes(linkCode);
    }
}

void DeviceLinks::CompleteReceiverArrival()
{
    m_receiver.arrivalPending = false;
    m_receiver.state = LinkState::Open;
    m_host.ShowIndicator(Indicator::Wireless, true);
    m_host.ApplyLinkLayout();
    if (m_receiver.Usable())
        m_receiver.functions.Open_FeatureDevice();
    m_host.StartOnlineWatchdog();
    if (m_cable.state != LinkState::Open && !m_blePresent) {
        m_anyLinkConnected = true;
        m_host.PostDeviceState();
    }
}

void DeviceLinks::ReceiverRemoved()
{
    m_receiver.state = LinkState::Removed;
    m_host.ShowIndicator(Indicator::Wireless, false);
    if (m_receiver.Usable())
        m_receiver.functions.Close_FeatureDevice();
    m_host.ApplyLinkLayout();
    m_host.StopOnlineWatchdog();
    if (m_cable.state != LinkState::Open && !m_blePresent) {
        m_anyLinkConnected = false;
        m_host.PostDeviceState();
    }
}

void DeviceLinks::OnBlePresence(bool present)
{
    const bool wasReachable = MouseReachable();
    m_blePresent = present;
    if (m_bleArm)
        m_bleArm(present);
    if (present) {
        m_asleep = false;
        m_host.ShowIndicator(Indicator::SleepNotice, false);
        m_host.ShowIndicator(Indicator::Ble, true);
    } else {
        m_host.ShowIndicator(Indicator::Ble, false);
        if (!m_mouseOnline && m_cable.state != LinkState::Open)
            m_host.ShowIndicator(Indicator::SleepNotice, true);
    }
    // The page's layout follows the links both ways; without this a page left in its Bluetooth LE
    // form would keep it after the mouse went.
    m_host.ApplyLinkLayout();
    SendIfReachedAgain(wasReachable, present);
    // The overall state changes only when no other link is up.
    if (m_receiver.state == LinkState::Open || m_cable.state == LinkState::Open)
        return;
    m_anyLinkConnected = present;
    m_host.PostDeviceState();
}

void DeviceLinks::HandleOtherCodes(std::uint32_t linkCode)
{
    const std::uint16_t high = LinkCode::High(linkCode);
    if (high >= Event::kFirstFromDriver && high <= Event::kLastFromDriver)
        HandleDeviceEvent(high, LinkCode::Low(linkCode));
}

void DeviceLinks::WriteCurrentProfile(const std::function<void(ProfileRecord&)>& change)
{
    // When pro.data changed beside us the file wins: the writer reads it again instead of saving,
    // the change is dropped and the page refreshes; the reload's full send brings the mouse in line.
    // The mouse holds what it reports: the snapshot follows, so that choosing the previous
    // setting again differs from it and is sent.
    m_session.LockedCurrentAndApplied([&](ProfileRecord& current, ProfileRecord& applied) {
        change(applied);
        change(current);
    });
    m_session.RequestProfileSave();
}

void DeviceLinks::HandleDeviceEvent(std::uint16_t code, std::uint16_t value)
{
    switch (code) {
    case Event::kDpiStage: {
        if (value < 1 || value > 8)
            return;
        std::int32_t dpiValue = 0;
        WriteCurrentProfile([&](ProfileRecord& profile) {
            profile.current_stage = value - 1;
            dpiValue = profile.dpi_value[value - 1];
        });
        m_host.SelectDpiStageOption(value);
        m_host.PostShowDpi(dpiValue);
        return;
    }
    case Event::kPollingRate:
        if (value >= 1 && value <= 8) {
            WriteCurrentProfile([value](ProfileRecord& profile) { profile.polling_rate = value; });
            m_host.ShowStoredSettings();
        }
        return;
    case Event::kStatus:
        OnStatus(value);
        return;
    case Event::kBattery:
        if (value >= 1 && value <= 10)
            m_batteryLevel = value;
        return;
    case Event::kLightEffect:
        if (value <= 7) {
            WriteCurrentProfile([value](ProfileRecord& profile) { profile.light_effect = value; });
            m_host.ShowStoredSettings();
        }
        return;
    case Event::kUnsettled:
        // What this event reports is not known; the store is rewritten as the mouse expects.
        if (value >= 1 && value <= 5)
            WriteCurrentProfile([](ProfileRecord&) {});
        return;
    default:
        return;
    }
}

void DeviceLinks::OnStatus(std::uint16_t value)
{
    const bool wasReachable = MouseReachable();
    const bool wasOnline = m_mouseOnline;
    m_host.StopOnlineWatchdog();
    m_host.StartOnlineWatchdog();
    if (!m_mouseOnline) {
        m_mouseOnline = true;
        m_host.ShowIndicator(Indicator::Wireless, true);
        m_host.ApplyLinkLayout();
        if (!m_blePresent)
            m_host.ShowIndicator(Indicator::SleepNotice, true);
    }
    const int awake = value & 0xFF;
    m_asleep = awake == 0;
    m_host.ShowIndicator(Indicator::SleepNotice, awake == 0);
    const int level = value >> 8;
    if (level >= 1 && level <= 10) {
        m_batteryLevel = level;
        m_host.ShowBatteryLevel(level);
    }
    SendIfReachedAgain(wasReachable, !wasOnline);
}

void DeviceLinks::OnOnlineWatchdogExpired()
{
    m_host.StopOnlineWatchdog();
    m_mouseOnline = false;
    m_host.ShowIndicator(Indicator::Wireless, false);
    m_host.ApplyLinkLayout();
    if (!m_blePresent)
        m_host.ShowIndicator(Indicator::SleepNotice, true);
}

int DeviceLinks::NextChargingValue()
{
    const int shown = m_chargingCounter;
    m_chargingCounter += 2;
    if (m_chargingCounter > 100)
        m_chargingCounter = 0;
    return shown;
}
