// The emulated mouse's remote control: the commands of karvo-simctl, the state it reports as
// JSON, the control socket they arrive on, the Bluetooth LE stand-in's watch connections, and the
// heartbeat that reports the mouse's status like the real one does.
#include "sim_mouse.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace sim {
namespace {

constexpr int kClientTimeoutMs = 2000;
constexpr std::uint16_t kEventDpiStage = 0x1000;
constexpr std::uint16_t kEventStatus = 0x4010;
constexpr std::uint16_t kEventLighting = 0x7000;

std::string Hex(const std::uint8_t* rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
    return text;
}

int EnvInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

bool ParseLink(const std::string& word, Link* link)
{
    if (word == "cable")
        *link = Link::Cable;
    else if (word == "receiver")
        *link = Link::Receiver;
    else
        return false;
    return true;
}

}  // namespace

void SimMouse::TellBleWatchers(const std::string& line)
{
    const std::string message = line + "\n";
    for (auto it = m_bleWatchers.begin(); it != m_bleWatchers.end();) {
        if (send(*it, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == ssize_t(message.size())) {
            ++it;
        } else {
            close(*it);
            it = m_bleWatchers.erase(it);
        }
    }
}

std::string SimMouse::BleCommand(std::istringstream& words)
{
    std::string verb;
    words >> verb;
    LinkState& ble = m_links[int(Link::Ble)];
    if (verb == "pair" || verb == "unpair") {
        const bool pair = verb == "pair";
        if (ble.plugged != pair) {
            ble.plugged = pair;
            TellBleWatchers(pair ? "paired" : "unpaired");
        }
        return "ok";
    }
    if (verb == "write") {
        // A report the stand-in for BlueZ took for the mouse's report characteristic.
        if (!ble.plugged)
            return "error: the mouse is not paired over Bluetooth LE";
        std::vector<std::uint8_t> bytes;
        std::string hex;
        while (words >> hex) {
            char* end = nullptr;
            const unsigned long byte = std::strtoul(hex.c_str(), &end, 16);
            if (hex.empty() || *end || byte > 0xFF)
                return "error: ble write takes hexadecimal bytes";
            bytes.push_back(std::uint8_t(byte));
        }
        if (!Accept(Link::Ble, bytes.data(), std::int32_t(bytes.size()))) {
            ++m_rejected;
            return "rejected";
        }
        ++m_accepted;
        ++m_bleAccepted;
        return "accepted";
    }
    return "error: ble takes pair, unpair or write";
}

std::string SimMouse::PressDpi()
{
    if (!m_configured)
        return "error: the mouse has no DPI stages yet";
    for (int step = 1; step <= 8; ++step) {
        const int candidate = (m_currentStage - 1 + step) % 8;  // 0-based
        if (m_stages[candidate].enabled) {
            m_currentStage = candidate + 1;
            PostEvent(kEventDpiStage, std::uint16_t(m_currentStage));
            return "ok";
        }
    }
    return "error: no DPI stage is enabled";
}

std::string SimMouse::Command(const std::string& line)
{
    std::istringstream words(line);
    std::string verb, argument;
    words >> verb >> argument;
    std::lock_guard lock(m_mutex);
    if (verb == "state")
        return StateJson();
    if (verb == "press" && argument == "dpi")
        return PressDpi();
    if (verb == "battery") {
        char* end = nullptr;
        const long level = std::strtol(argument.c_str(), &end, 10);
        if (argument.empty() || *end || level < 0 || level > 10)
            return "error: battery takes a level 0..10";
        m_battery = int(level);
        PostEvent(kEventStatus, StatusValue());
        return "ok";
    }
    if (verb == "sleep" || verb == "wake") {
        m_awake = verb == "wake";
        PostEvent(kEventStatus, StatusValue());
        return "ok";
    }
    if (verb == "ble") {
        std::istringstream rest(line);
        rest >> verb;
        return BleCommand(rest);
    }
    if (verb == "light") {
        char* end = nullptr;
        const long effect = std::strtol(argument.c_str(), &end, 10);
        if (argument.empty() || *end || effect < 0 || effect > 7)
            return "error: light takes an effect 0..7";
        m_lighting[0] = std::uint8_t((effect << 4) | (m_lighting[0] & 0x0F));
        PostEvent(kEventLighting, std::uint16_t(effect));
        return "ok";
    }
    Link link;
    if ((verb == "plug" || verb == "unplug") && ParseLink(argument, &link)) {
        LinkState& state = m_links[int(link)];
        const bool plug = verb == "plug";
        if (state.plugged == plug)
            return "ok";
        state.plugged = plug;
        if (!plug)
            state.deviceOpen = false;
        PostLink(link, plug);
        return "ok";
    }
    if (verb == "send" && ParseLink(argument, &link)) {
        // Raw bytes from another program on the bus: checked like any report.
        std::vector<std::uint8_t> bytes;
        std::string hex;
        while (words >> hex)
            bytes.push_back(std::uint8_t(std::strtoul(hex.c_str(), nullptr, 16)));
        const LinkState& state = m_links[int(link)];
        if (!state.plugged)
            return "error: that link is unplugged";
        if (!Accept(link, bytes.data(), std::int32_t(bytes.size()))) {
            ++m_rejected;
            return "rejected";
        }
        ++m_accepted;
        return "accepted";
    }
    if (verb == "reset") {
        ResetLocked();
        return "ok";
    }
    return "error: unknown command '" + line + "'";
}

std::string SimMouse::StateJson() const
{
    std::ostringstream json;
    json << "{\"links\":{";
    for (int i = 0; i < 2; ++i) {
        const LinkState& link = m_links[std::size_t(i)];
        json << (i ? "," : "") << (i == 0 ? "\"cable\"" : "\"receiver\"") << ":{\"plugged\":"
             << (link.plugged ? "true" : "false") << ",\"open\":" << (link.deviceOpen ? "true" : "false")
             << ",\"monitored\":" << (link.target ? "true" : "false") << "}";
    }
    json << ",\"ble\":{\"paired\":" << (m_links[int(Link::Ble)].plugged ? "true" : "false")
         << ",\"watched\":" << (m_bleWatchers.empty() ? "false" : "true") << "}";
    json << "},\"awake\":" << (m_awake ? "true" : "false") << ",\"battery\":" << m_battery
         << ",\"configured\":" << (m_configured ? "true" : "false") << ",\"currentStage\":" << m_currentStage
         << ",\"stages\":[";
    for (int i = 0; i < 8; ++i) {
        const Stage& stage = m_stages[i];
        json << (i ? "," : "") << "{\"number\":" << i + 1 << ",\"dpi\":" << stage.dpi << ",\"sensor\":" << stage.sensor
             << ",\"enabled\":" << (stage.enabled ? "true" : "false")
             << ",\"highRange\":" << (stage.highRange ? "true" : "false") << ",\"color\":\"" << Hex(stage.rgb.data())
             << "\"}";
    }
    json << "],\"lighting\":";
    if (m_lightingSet) {
        json << "{\"effect\":" << (m_lighting[0] >> 4) << ",\"effectBle\":" << (m_lighting[0] & 0x0F)
             << ",\"speedByte\":" << int(m_lighting[1]) << ",\"brightnessByte\":" << int(m_lighting[2])
             << ",\"color\":\"" << Hex(&m_lighting[3]) << "\",\"sleepByte\":" << int(m_lighting[6]) << "}";
    } else {
        json << "null";
    }
    json << ",\"pollingIntervalMs\":" << m_pollingIntervalMs
         << ",\"pollingHz\":" << (m_pollingIntervalMs ? 1000 / m_pollingIntervalMs : 0) << ",\"buttons\":";
    if (m_buttonsSet) {
        json << "[";
        for (int k = 0; k < 18; ++k)
            json << (k ? "," : "") << "[" << int(m_buttons[k][0]) << "," << int(m_buttons[k][1]) << ","
                 << int(m_buttons[k][2]) << "]";
        json << "]";
    } else {
        json << "null";
    }
    json << ",\"macros\":{";
    bool first = true;
    for (const auto& [number, macro] : m_macros) {
        json << (first ? "" : ",") << "\"" << number << "\":{\"repeatMode\":" << macro.repeatMode
             << ",\"option\":" << macro.option << ",\"loops\":" << macro.loops << ",\"entryCount\":" << macro.entryCount
             << ",\"entries\":[";
        for (std::size_t i = 0; i < macro.entries.size(); ++i)
            json << (i ? "," : "") << "[" << int(macro.entries[i][0]) << "," << int(macro.entries[i][1]) << "]";
        json << "]}";
        first = false;
    }
    json << "},\"reportsAccepted\":" << m_accepted << ",\"reportsRejected\":" << m_rejected
         << ",\"bleReportsAccepted\":" << m_bleAccepted << "}";
    return json.str();
}

void SimMouse::StartBackground()
{
    {
        std::lock_guard lock(m_backgroundMutex);
        m_stop = false;
    }
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_socketPath = ControlSocketPath();
    if (m_stopFd >= 0) {
        m_socketThread = std::thread([this] { ServeSocket(); });
        pthread_setname_np(m_socketThread.native_handle(), "sim-socket");
    } else {
        std::fprintf(stderr, "simmouse: no control socket: %s\n", std::strerror(errno));
    }
    m_heartbeatThread = std::thread([this] { SendHeartbeats(); });
    pthread_setname_np(m_heartbeatThread.native_handle(), "sim-heartbeat");
}

void SimMouse::StopBackground()
{
    {
        std::lock_guard lock(m_backgroundMutex);
        m_stop = true;
    }
    m_stopWake.notify_all();
    if (m_stopFd >= 0) {
        const std::uint64_t one = 1;
        if (write(m_stopFd, &one, sizeof one) != sizeof one)
            std::fprintf(stderr, "simmouse: cannot wake the control socket\n");
    }
    if (m_socketThread.joinable())
        m_socketThread.join();
    if (m_heartbeatThread.joinable())
        m_heartbeatThread.join();
    if (m_stopFd >= 0)
        close(m_stopFd);
    m_stopFd = -1;
}

// Asleep until the next status is due or the background is stopped.
void SimMouse::SendHeartbeats()
{
    const int periodMs = EnvInt("KARVO_SIM_HEARTBEAT_MS", 2000);
    if (periodMs <= 0)
        return;
    auto next = std::chrono::steady_clock::now();
    for (;;) {
        {
            std::unique_lock wait(m_backgroundMutex);
            if (m_stopWake.wait_until(wait, next, [this] { return m_stop; }))
                return;
        }
        std::lock_guard lock(m_mutex);
        // A mouse behind the receiver reports its status now and then; that keeps it online.
        PostEventOn(Link::Receiver, kEventStatus, StatusValue());
        next += std::chrono::milliseconds(periodMs);
    }
}

// Waits for fd to become readable or for the stop request; false on stop, error or after
// timeoutMs (-1: no limit).
bool SimMouse::WaitReadable(int fd, int timeoutMs) const
{
    for (;;) {
        pollfd waits[2] = {{fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        const int ready = poll(waits, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0 && !waits[1].revents && waits[0].revents;
    }
}

void SimMouse::ServeSocket()
{
    const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (server < 0)
        return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, m_socketPath.c_str(), sizeof address.sun_path - 1);
    unlink(m_socketPath.c_str());
    if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(server, 4) != 0) {
        std::fprintf(stderr, "simmouse: cannot listen on %s\n", m_socketPath.c_str());
        close(server);
        return;
    }
    while (WaitReadable(server, -1)) {
        const int client = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        // A client that connects and says nothing is given up after a while, so others get in.
        std::string line;
        char chunk[256];
        bool complete = false;
        while (!complete && line.size() < 4096 && WaitReadable(client, kClientTimeoutMs)) {
            const ssize_t got = read(client, chunk, sizeof chunk);
            if (got <= 0)
                break;
            line.append(chunk, std::size_t(got));
            complete = line.find('\n') != std::string::npos;
        }
        if (complete)
            line.resize(line.find('\n'));
        if (line == "watch ble") {
            // Kept open: the stand-in for BlueZ hears pairing and events on it.
            std::lock_guard lock(m_mutex);
            m_bleWatchers.push_back(client);
            TellBleWatchers(m_links[int(Link::Ble)].plugged ? "paired" : "unpaired");
            continue;
        }
        if (complete || !line.empty()) {
            const std::string reply = Command(line) + "\n";
            if (write(client, reply.data(), reply.size()) < 0)
                std::fprintf(stderr, "simmouse: reply lost\n");
        }
        close(client);
    }
    close(server);
    unlink(m_socketPath.c_str());
    std::lock_guard lock(m_mutex);
    for (int watcher : m_bleWatchers)
        close(watcher);
    m_bleWatchers.clear();
}

}  // namespace sim
