#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "device/driver_library.h"
#include "core/report/report.h"

class DeviceClock;
class ProfileSession;
struct ProfileRecord;

enum class Indicator { Wired, Wireless, Ble, SleepNotice };

// What the link logic needs from the page and the main window. Called on the thread that handles
// the link change or event.
class DeviceLinkHost {
public:
    virtual ~DeviceLinkHost() = default;
    virtual void PostDeviceState() = 0;                  // the any-link-connected flag changed
    virtual void PostShowDpi(std::int32_t dpiValue) = 0; // a new DPI stage, in units of 40 DPI
    virtual void StartOnlineWatchdog() = 0;              // restarts the 6-second watchdog
    virtual void StopOnlineWatchdog() = 0;
    virtual void ShowIndicator(Indicator indicator, bool shown) = 0;
    virtual void ShowCharging() = 0;                     // charging text and animation
    virtual void ClearPowerDisplay() = 0;                // no text, no animation
    virtual void ShowBatteryLevel(int level) = 0;        // level in tenths: bar and "70%"
    virtual void SelectDpiStageOption(int stageNumber) = 0;  // 1..8, without notification
    virtual void ApplyLinkLayout() = 0;
    // The mouse can be reached again (it woke, came online behind the receiver, or a link came
    // up): what it lacks of the current profile is sent (the links set the full-send flag first
    // where it may lack anything).
    virtual void RequestSend() = 0;
    // An event of the mouse changed a stored setting: the controls that show it follow.
    virtual void ShowStoredSettings() = 0;
};

enum class LinkState : int { NotOpened = 0, Open = 1, Removed = 2 };

// The messages a driver library's monitor posts for its link.
struct LinkMessages {
    std::uint32_t eventMessage;
    std::uint32_t linkMessage;
};

// The mouse's links: cable and receiver through their driver libraries, Bluetooth LE through a
// writer. Follows arrivals, removals and the mouse's status, decodes its events into the current
// profile, and sends reports over the first link that takes them, paced by the clock.
//
// Link states and flags are atomics: the UI thread changes them, the device worker reads them.
class DeviceLinks {
public:
    static constexpr std::int32_t kVendorId = 0x1D57;
    static constexpr std::int32_t kCableProductId = 0xFA61;
    static constexpr std::int32_t kReceiverProductId = 0xFA60;
    static constexpr int kReportPauseMs = 500;
    static constexpr int kMacroHalfPauseMs = 200;
    static constexpr int kArrivalPauseMs = 1000;

    DeviceLinks(DeviceLinkHost& host, ProfileSession& session, DeviceClock& clock);
    ~DeviceLinks();

    // Driver libraries from disk (the program folder), or tables of one's own.
    void LoadDrivers(const QString& folder);
    void SetCableDriver(const DriverFunctions& functions);
    void SetReceiverDriver(const DriverFunctions& functions);
    // Whether a Bluetooth LE mouse is there at start, and how reports reach it.
    void SetBleProbe(std::function<bool()> probe) { m_bleProbe = std::move(probe); }
    void SetBleWriter(std::function<int(const Report&)> writer) { m_bleWriter = std::move(writer); }
    // Arms the Bluetooth LE transport (writes go out, notifications are subscribed to) or clears it.
    void SetBleArm(std::function<void(bool armed)> arm) { m_bleArm = std::move(arm); }

    // Opens cable and receiver, probes for Bluetooth LE and reports the device state.
    void Open(const KarvoPostTarget* target, LinkMessages cable, LinkMessages receiver);
    // Closes receiver then cable (device, then monitor) and unloads the libraries. The device
    // worker must have stopped.
    void Shutdown();

    void HandleWiredLink(std::uint32_t linkCode);
    void HandleReceiverLink(std::uint32_t linkCode);
    void HandleDeviceEvent(std::uint16_t code, std::uint16_t value);
    // The Bluetooth LE mouse arrived (true) or went (false). A removal may repeat harmlessly.
    void OnBlePresence(bool present);
    void OnOnlineWatchdogExpired();
    // One tick of the charging animation: the value to show.
    int NextChargingValue();

    // Device worker: writes the report over the first link that takes it and pauses. Non-zero
    // when some link took it.
    int SendReport(const Report& report);

    bool AnyLinkUp() const;
    // Whether a report can reach the mouse now: awake, and on the cable, online behind the
    // receiver, or over Bluetooth LE.
    bool MouseReachable() const;
    bool AnyLinkConnected() const { return m_anyLinkConnected; }
    bool Asleep() const { return m_asleep; }
    bool MouseOnline() const { return m_mouseOnline; }
    bool BlePresent() const { return m_blePresent; }
    int BatteryLevel() const { return m_batteryLevel; }
    LinkState CableState() const { return m_cable.state; }
    LinkState ReceiverState() const { return m_receiver.state; }

private:
    struct Link {
        DriverFunctions functions;
        std::unique_ptr<DriverLibrary> library;
        std::atomic<LinkState> state{LinkState::NotOpened};
        bool arrivalPending = false;
        unsigned arrivalGeneration = 0;
        bool Usable() const { return functions.IsUsable(); }
    };

    bool OpenLink(Link& link, std::int32_t productId, const KarvoPostTarget* target, LinkMessages messages);
    void HandleOtherCodes(std::uint32_t linkCode);
    void ScheduleArrival(Link& link, void (DeviceLinks::*complete)());
    void CompleteCableArrival();
    void CompleteReceiverArrival();
    void CableRemoved();
    void ReceiverRemoved();
    void OnStatus(std::uint16_t value);
    // After a change of links or status: a mouse that could not be reached before gets what it
    // lacks. One that only slept holds what was last sent, so the difference goes; one that no
    // link reached (it came online, was plugged in or paired) may hold anything: all of it goes.
    void SendIfReachedAgain(bool wasReachable, bool linkCameUp);
    // The profile field an event changed goes to pro.data at once, written in the background.
    void WriteCurrentProfile(const std::function<void(ProfileRecord&)>& change);
    // The cable's result, or nothing when it took no part of the report.
    std::optional<int> SendOverCable(const Report& report);

    DeviceLinkHost& m_host;
    ProfileSession& m_session;
    DeviceClock& m_clock;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    Link m_cable;
    Link m_receiver;
    std::function<bool()> m_bleProbe;
    std::function<int(const Report&)> m_bleWriter;
    std::function<void(bool)> m_bleArm;

    std::atomic<bool> m_blePresent{false};
    std::atomic<bool> m_anyLinkConnected{false};
    std::atomic<bool> m_asleep{true};
    std::atomic<bool> m_mouseOnline{false};
    std::atomic<int> m_batteryLevel{0};
    int m_chargingCounter = 0;
};
