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

constexpr std::uint8_t kDpi = 0x04, kLighting = 0x05, kPolling = 0x06, kButtons = 0x08, kMacro = 0x09;
constexpr int kCablePacket = 64;
constexpr int kMacroLength = 131;

int ExpectedLength(std::uint8_t command)
{
    switch (command) {
    case kDpi: return 56;
    case kLighting: return 15;
    case kPolling: return 9;
    case kButtons: return 59;
    case kMacro: return kMacroLength;
    default: return 0;
    }
}

// The DPI the utility chose for a stage: the smallest step of 40 DPI that it sends as this sensor
// value and range (the sensor itself counts in steps of 38 DPI).
int DpiFor(int sensor, bool highRange)
{
    for (int steps = 1; steps <= 2000; ++steps) {
        unsigned dpi = unsigned(steps) * 40;
        const bool high = dpi > 2400;
        if (high)
            dpi >>= 1;
        if (high == highRange && int((dpi / 38) & 0xFF) == sensor)
            return steps * 40;
    }
    return sensor * 38 * (highRange ? 2 : 1);
}

bool EnvFlag(const char* name, bool fallback)
{
    const char* value = std::getenv(name);
    return value ? std::strcmp(value, "0") != 0 : fallback;
}

}  // namespace

SimMouse& SimMouse::Instance()
{
    static SimMouse mouse;
    return mouse;
}

SimMouse::SimMouse()
{
    ResetLocked();
}

SimMouse::~SimMouse()
{
    StopBackground();
}

void SimMouse::Reset()
{
    std::lock_guard lock(m_mutex);
    ResetLocked();
}

void SimMouse::ResetLocked()
{
    for (LinkState& link : m_links) {
        link.plugged = false;
        link.deviceOpen = false;
    }
    m_links[int(Link::Cable)].plugged = EnvFlag("KARVO_SIM_CABLE", true);
    m_links[int(Link::Receiver)].plugged = EnvFlag("KARVO_SIM_RECEIVER", true);
    m_links[int(Link::Ble)].plugged = EnvFlag("KARVO_SIM_BLE", false);
    TellBleWatchers(m_links[int(Link::Ble)].plugged ? "paired" : "unpaired");
    m_awake = true;
    m_battery = 8;
    m_configured = false;
    m_stages = {};
    m_currentStage = 0;
    m_lighting = {};
    m_lightingSet = false;
    m_pollingIntervalMs = 0;
    m_buttons = {};
    m_buttonsSet = false;
    m_macros.clear();
    m_pendingMacroHalf.clear();
    m_accepted = 0;
    m_rejected = 0;
    m_bleAccepted = 0;
}

std::int32_t SimMouse::SetVidPid(Link link, std::int32_t vendorId, std::int32_t productId)
{
    std::lock_guard lock(m_mutex);
    m_links[int(link)].vendorId = vendorId;
    m_links[int(link)].productId = productId;
    return 1;
}

std::int32_t SimMouse::OpenMonitor(Link link, const KarvoPostTarget* target, std::uint32_t eventMessage,
                                   std::uint32_t linkMessage)
{
    bool start = false;
    {
        std::lock_guard lock(m_mutex);
        LinkState& state = m_links[int(link)];
        if (!state.target)
            start = m_monitorsOpen++ == 0;
        state.target = target;
        state.eventMessage = eventMessage;
        state.linkMessage = linkMessage;
    }
    if (start)
        StartBackground();
    return 1;
}

std::int32_t SimMouse::CloseMonitor(Link link)
{
    bool stop = false;
    {
        std::lock_guard lock(m_mutex);
        LinkState& state = m_links[int(link)];
        if (state.target)
            stop = --m_monitorsOpen == 0;
        state.target = nullptr;  // nothing is posted to it once this returns
    }
    if (stop)
        StopBackground();
    return 1;
}

std::int32_t SimMouse::OpenDevice(Link link)
{
    std::lock_guard lock(m_mutex);
    LinkState& state = m_links[int(link)];
    state.deviceOpen = state.plugged;
    return state.deviceOpen ? 1 : 0;
}

std::int32_t SimMouse::CloseDevice(Link link)
{
    std::lock_guard lock(m_mutex);
    m_links[int(link)].deviceOpen = false;
    return 1;
}

std::int32_t SimMouse::SetFeature(Link link, const std::uint8_t* data, std::int32_t length)
{
    std::lock_guard lock(m_mutex);
    const LinkState& state = m_links[int(link)];
    if (!state.plugged || !state.deviceOpen || !data)
        return 0;
    if (!Accept(link, data, length)) {
        ++m_rejected;
        return 0;
    }
    ++m_accepted;
    return 1;
}

bool SimMouse::Accept(Link link, const std::uint8_t* r, std::int32_t length)
{
    if (length < 3 || (link == Link::Cable && length > kCablePacket))
        return false;
    const std::uint8_t command = r[0];
    const int expected = ExpectedLength(command);
    if (expected == 0)
        return false;
    if (command == kMacro && link == Link::Cable) {
        // Macros reach the cable as two 64-byte halves carrying report bytes 3..62 and 63..122.
        if (length != kCablePacket || r[1] != kCablePacket || r[3] > 1)
            return false;
        if (r[3] == 0) {
            m_pendingMacroHalf.assign(r, r + length);
            return true;
        }
        if (m_pendingMacroHalf.empty() || m_pendingMacroHalf[2] != r[2])
            return false;
        std::vector<std::uint8_t> body(m_pendingMacroHalf.begin() + 4, m_pendingMacroHalf.end());
        body.insert(body.end(), r + 4, r + length);
        body.resize(kMacroLength - 3, 0);
        m_pendingMacroHalf.clear();
        DecodeMacro(body.data(), r[2]);
        return true;
    }
    if (length != expected || r[1] != expected)
        return false;
    switch (command) {
    case kDpi: DecodeDpi(r); break;
    case kLighting: DecodeLighting(r); break;
    case kPolling: DecodePolling(r); break;
    case kButtons: DecodeButtons(r); break;
    case kMacro: DecodeMacro(r + 3, r[2]); break;
    }
    return true;
}

void SimMouse::DecodeDpi(const std::uint8_t* r)
{
    for (int i = 0; i < 8; ++i) {
        Stage& stage = m_stages[i];
        stage.enabled = (r[5] >> i) & 1;
        stage.highRange = (r[6] >> i) & 1;
        stage.sensor = r[8 + i];
        stage.dpi = stage.sensor ? DpiFor(stage.sensor, stage.highRange) : 0;
        stage.rgb = {r[25 + 3 * i], r[26 + 3 * i], r[27 + 3 * i]};
    }
    m_currentStage = r[24];
    m_configured = true;
}

void SimMouse::DecodeLighting(const std::uint8_t* r)
{
    std::memcpy(m_lighting.data(), r + 3, m_lighting.size());
    m_lightingSet = true;
}

void SimMouse::DecodePolling(const std::uint8_t* r)
{
    m_pollingIntervalMs = r[3];
}

void SimMouse::DecodeButtons(const std::uint8_t* r)
{
    for (int k = 0; k < 18; ++k)
        m_buttons[k] = {r[3 + 3 * k], r[4 + 3 * k], r[5 + 3 * k]};
    m_buttonsSet = true;
}

void SimMouse::DecodeMacro(const std::uint8_t* body, int number)
{
    Macro macro;
    macro.repeatMode = body[0];
    macro.option = body[1];
    macro.loops = body[4];
    macro.entryCount = body[5];
    for (int i = 0; i < macro.entryCount && 6 + 2 * i + 1 < kMacroLength - 3; ++i)
        macro.entries.push_back({body[6 + 2 * i], body[7 + 2 * i]});
    m_macros[number] = std::move(macro);
}

void SimMouse::PostEventOn(Link link, std::uint16_t code, std::uint16_t value)
{
    const LinkState& state = m_links[int(link)];
    if (link == Link::Ble) {
        if (state.plugged)
            TellBleWatchers("event " + std::to_string(code) + " " + std::to_string(value));
        return;
    }
    if (state.plugged && state.target && state.target->post)
        state.target->post(state.target->context, state.eventMessage, code, value);
}

// Events go out over the cable while it is plugged, else through the receiver, else as
// Bluetooth LE notifications.
void SimMouse::PostEvent(std::uint16_t code, std::uint16_t value)
{
    if (m_links[int(Link::Cable)].plugged)
        PostEventOn(Link::Cable, code, value);
    else if (m_links[int(Link::Receiver)].plugged || !m_links[int(Link::Ble)].plugged)
        PostEventOn(Link::Receiver, code, value);
    else
        PostEventOn(Link::Ble, code, value);
}

void SimMouse::PostLink(Link link, bool arrived)
{
    const LinkState& state = m_links[int(link)];
    if (state.target && state.target->post)
        state.target->post(state.target->context, state.linkMessage, arrived ? 1 : 0, 0);
}

std::uint16_t SimMouse::StatusValue() const
{
    return std::uint16_t(m_battery << 8 | (m_awake ? 1 : 0));
}

}  // namespace sim
