// The emulated mouse behind both emulated driver libraries: one device, reachable over a cable
// and a receiver, that checks and decodes every report it is given into its state and raises the
// events a real mouse raises. No Qt: plugins speak plain C to the utility.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <sstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control_socket_path.h"
#include "karvo_driver.h"

namespace sim {

// The cable and the receiver are driver-library links; Bluetooth LE reaches the mouse through the
// demo's stand-in for BlueZ, which watches the control socket.
enum class Link { Cable = 0, Receiver = 1, Ble = 2 };

struct Stage {
    int sensor = 0;
    bool highRange = false;
    bool enabled = false;
    int dpi = 0;
    std::array<std::uint8_t, 3> rgb{};
};

struct Macro {
    int repeatMode = 0;
    int option = 0;
    int loops = 0;
    int entryCount = 0;
    std::vector<std::array<std::uint8_t, 2>> entries;
};

class SimMouse {
public:
    static SimMouse& Instance();

    // Driver exports, per link.
    std::int32_t SetVidPid(Link link, std::int32_t vendorId, std::int32_t productId);
    std::int32_t OpenMonitor(Link link, const KarvoPostTarget* target, std::uint32_t eventMessage, std::uint32_t linkMessage);
    std::int32_t CloseMonitor(Link link);
    std::int32_t OpenDevice(Link link);
    std::int32_t CloseDevice(Link link);
    std::int32_t SetFeature(Link link, const std::uint8_t* data, std::int32_t length);

    // The line protocol of the control socket and of the in-process test exports.
    std::string Command(const std::string& line);
    void Reset();

private:
    SimMouse();
    ~SimMouse();

    struct LinkState {
        bool plugged = false;
        bool deviceOpen = false;
        const KarvoPostTarget* target = nullptr;
        std::uint32_t eventMessage = 0;
        std::uint32_t linkMessage = 0;
        std::int32_t vendorId = 0;
        std::int32_t productId = 0;
    };

    // All below under m_mutex.
    void ResetLocked();
    bool Accept(Link link, const std::uint8_t* data, std::int32_t length);
    void DecodeDpi(const std::uint8_t* r);
    void DecodeLighting(const std::uint8_t* r);
    void DecodePolling(const std::uint8_t* r);
    void DecodeButtons(const std::uint8_t* r);
    void DecodeMacro(const std::uint8_t* body, int number);  // body: report bytes 3..
    void PostEvent(std::uint16_t code, std::uint16_t value);
    void PostEventOn(Link link, std::uint16_t code, std::uint16_t value);
    void PostLink(Link link, bool arrived);
    // Lines to the Bluetooth LE watchers: "paired", "unpaired", "event CODE VALUE".
    void TellBleWatchers(const std::string& line);
    std::string BleCommand(std::istringstream& words);
    std::uint16_t StatusValue() const;
    std::string StateJson() const;
    std::string PressDpi();

    // Background: the control socket and the status the mouse sends through the receiver.
    void StartBackground();
    void StopBackground();
    void ServeSocket();
    void SendHeartbeats();
    bool WaitReadable(int fd, int timeoutMs) const;

    mutable std::mutex m_mutex;
    std::array<LinkState, 3> m_links;
    std::vector<int> m_bleWatchers;  // sockets of "watch ble" clients, kept open
    int m_bleAccepted = 0;
    bool m_awake = true;
    int m_battery = 8;
    bool m_configured = false;
    std::array<Stage, 8> m_stages{};
    int m_currentStage = 0;  // 1..8 once a DPI report came
    std::array<std::uint8_t, 7> m_lighting{};  // report bytes 3..9
    bool m_lightingSet = false;
    int m_pollingIntervalMs = 0;
    std::array<std::array<std::uint8_t, 3>, 18> m_buttons{};
    bool m_buttonsSet = false;
    std::map<int, Macro> m_macros;
    std::vector<std::uint8_t> m_pendingMacroHalf;  // the cable's first half, waiting for the second
    int m_accepted = 0;
    int m_rejected = 0;

    // The background threads sleep until they have work: the socket thread in poll() on the
    // listening socket and m_stopFd, the heartbeat thread on m_stopWake until its next status.
    std::mutex m_backgroundMutex;
    std::condition_variable m_stopWake;
    bool m_stop = false;  // under m_backgroundMutex
    int m_stopFd = -1;
    int m_monitorsOpen = 0;
    std::thread m_socketThread;
    std::thread m_heartbeatThread;
    std::string m_socketPath;
};

}  // namespace sim
