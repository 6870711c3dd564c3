// The driver libraries for the real mouse, over hidapi: one shared library (libkarvo_hid.so)
// holding a cable link and a receiver link, behind hiddriver_2.so and hiddriver_1.so. Each link
// serves the one device its Set_VIDPID names. Reports are HID feature reports whose report ID is
// the report's command byte. A link's monitor follows arrival and removal by enumerating the
// device and reads the mouse's events from its input reports: report ID, then the event code and
// the value as little-endian 16-bit words.
//
// hidapi keeps process-wide state for enumerating and opening devices, so those calls are
// serialised across both links; reads and writes on an open device are the link's own.

#include <hidapi.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "karvo_driver.h"

#define KARVO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr auto kPresencePeriod = std::chrono::milliseconds(500);
constexpr int kReadTimeoutMs = 50;
constexpr int kEventReportBytes = 5;

std::mutex g_hidapiMutex;  // hid_init, hid_enumerate, hid_open, hid_close
bool g_hidReady = false;
bool g_hidTried = false;

bool HidReady()
{
    std::lock_guard lock(g_hidapiMutex);
    if (!g_hidTried) {
        g_hidTried = true;
        g_hidReady = hid_init() == 0;
    }
    return g_hidReady;
}

bool DevicePresent(unsigned short vendorId, unsigned short productId)
{
    std::lock_guard lock(g_hidapiMutex);
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    const bool present = devices != nullptr;
    hid_free_enumeration(devices);
    return present;
}

hid_device* OpenDevice(unsigned short vendorId, unsigned short productId)
{
    std::lock_guard lock(g_hidapiMutex);
    return hid_open(vendorId, productId, nullptr);
}

void CloseDevice(hid_device* device)
{
    std::lock_guard lock(g_hidapiMutex);
    hid_close(device);
}

class HidLink {
public:
    ~HidLink() { CloseMonitor(); }

    int32_t SetVidPid(int32_t vendorId, int32_t productId)
    {
        std::lock_guard lock(m_mutex);
        m_vendorId = static_cast<unsigned short>(vendorId);
        m_productId = static_cast<unsigned short>(productId);
        return 1;
    }

    int32_t OpenMonitor(const KarvoPostTarget* target, uint32_t eventMessage, uint32_t linkMessage)
    {
        if (!HidReady())
            return 0;
        std::lock_guard lock(m_mutex);
        if (m_monitor.joinable())
            return 1;
        m_target = target;
        m_eventMessage = eventMessage;
        m_linkMessage = linkMessage;
        m_stop = false;
        m_monitor = std::thread([this, vendorId = m_vendorId, productId = m_productId] { Monitor(vendorId, productId); });
        return 1;
    }

    int32_t CloseMonitor()
    {
        m_stop = true;
        if (m_monitor.joinable())
            m_monitor.join();
        std::lock_guard lock(m_mutex);
        m_target = nullptr;  // nothing is posted once this returns
        return 1;
    }

    int32_t OpenFeatureDevice()
    {
        if (!HidReady())
            return 0;
        std::lock_guard lock(m_mutex);
        if (!m_featureDevice)
            m_featureDevice = OpenDevice(m_vendorId, m_productId);
        return m_featureDevice ? 1 : 0;
    }

    int32_t CloseFeatureDevice()
    {
        std::lock_guard lock(m_mutex);
        if (m_featureDevice)
            CloseDevice(m_featureDevice);
        m_featureDevice = nullptr;
        return 1;
    }

    int32_t SetFeature(const uint8_t* report, int32_t length)
    {
        std::lock_guard lock(m_mutex);
        if (!m_featureDevice || !report || length <= 0)
            return 0;
        return hid_send_feature_report(m_featureDevice, report, size_t(length)) >= 0 ? 1 : 0;
    }

    int32_t GetFeature(uint8_t* report, int32_t length)
    {
        std::lock_guard lock(m_mutex);
        if (!m_featureDevice || !report || length <= 0)
            return 0;
        return hid_get_feature_report(m_featureDevice, report, size_t(length)) >= 0 ? 1 : 0;
    }

private:
    void Post(bool event, uintptr_t wParam, intptr_t lParam)
    {
        std::lock_guard lock(m_mutex);
        if (m_target && m_target->post)
            m_target->post(m_target->context, event ? m_eventMessage : m_linkMessage, wParam, lParam);
    }

    void Monitor(unsigned short vendorId, unsigned short productId)
    {
        bool present = DevicePresent(vendorId, productId);
        hid_device* events = present ? OpenDevice(vendorId, productId) : nullptr;
        auto nextCheck = std::chrono::steady_clock::now() + kPresencePeriod;
        while (!m_stop) {
            if (events) {
                unsigned char report[64];
                const int got = hid_read_timeout(events, report, sizeof report, kReadTimeoutMs);
                if (got >= kEventReportBytes)
                    Post(true, uintptr_t(report[1] | report[2] << 8), intptr_t(report[3] | report[4] << 8));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(kReadTimeoutMs));
            }
            if (std::chrono::steady_clock::now() < nextCheck)
                continue;
            nextCheck += kPresencePeriod;
            const bool nowPresent = DevicePresent(vendorId, productId);
            if (nowPresent != present) {
                present = nowPresent;
                Post(false, present ? 1 : 0, 0);
            }
            if (present && !events)
                events = OpenDevice(vendorId, productId);
            if (!present && events) {
                CloseDevice(events);
                events = nullptr;
            }
        }
        if (events)
            CloseDevice(events);
    }

    std::mutex m_mutex;  // the link's settings, its feature device and its post target
    unsigned short m_vendorId = 0;
    unsigned short m_productId = 0;
    hid_device* m_featureDevice = nullptr;
    const KarvoPostTarget* m_target = nullptr;
    uint32_t m_eventMessage = 0;
    uint32_t m_linkMessage = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_monitor;
};

HidLink g_cable;
HidLink g_receiver;

}  // namespace

#define KARVO_HID_LINK_EXPORTS(prefix, link)                                                                   \
    KARVO_EXPORT int32_t prefix##_Set_VIDPID(int32_t v, int32_t p) { return link.SetVidPid(v, p); }            \
    KARVO_EXPORT int32_t prefix##_Open_DevMonitor(const KarvoPostTarget* t, uint32_t e, uint32_t l)            \
    {                                                                                                          \
        return link.OpenMonitor(t, e, l);                                                                      \
    }                                                                                                          \
    KARVO_EXPORT int32_t prefix##_Close_DevMonitor(void) { return link.CloseMonitor(); }                       \
    KARVO_EXPORT int32_t prefix##_Open_FeatureDevice(void) { return link.OpenFeatureDevice(); }                \
    KARVO_EXPORT int32_t prefix##_Close_FeatureDevice(void) { return link.CloseFeatureDevice(); }              \
    KARVO_EXPORT int32_t prefix##_SetFeature(const uint8_t* r, int32_t n) { return link.SetFeature(r, n); }    \
    KARVO_EXPORT int32_t prefix##_GetFeature(uint8_t* r, int32_t n) { return link.GetFeature(r, n); }

KARVO_HID_LINK_EXPORTS(hid_cable, g_cable)
KARVO_HID_LINK_EXPORTS(hid_receiver, g_receiver)
