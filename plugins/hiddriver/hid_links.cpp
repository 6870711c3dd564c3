// The driver libraries for the real mouse, over hidapi: one shared library (libkarvo_hid.so)
// holding a cable link and a receiver link, behind hiddriver_2.so and hiddriver_1.so. Each link
// serves the one device its Set_VIDPID names. Reports are HID feature reports whose report ID is
// the report's command byte.
//
// A link's monitor is one thread asleep in poll() on three descriptors: a udev monitor of the
// hidraw subsystem (arrival and removal), the device's hidraw node (the mouse's events: report ID,
// then the event code and the value as little-endian 16-bit words) and an eventfd that asks it to
// stop. It wakes only when one of them has something to say; a udev event is checked against the
// link's vendor and product ID before anything is posted.
//
// hidapi keeps process-wide state for enumerating and opening devices, so those calls are
// serialised across both links; reads and writes on an open device are the link's own.

#include <fcntl.h>
#include <hidapi.h>
#include <libudev.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "karvo_driver.h"

#define KARVO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kEventReportBytes = 5;
constexpr std::size_t kInputReportBytes = 64;

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

// The hidraw node of the device's first interface (the one hid_open picks), or "" when the
// device is not there.
std::string FirstDevicePath(unsigned short vendorId, unsigned short productId)
{
    std::lock_guard lock(g_hidapiMutex);
    hid_device_info* devices = hid_enumerate(vendorId, productId);
    std::string path = devices && devices->path ? devices->path : "";
    hid_free_enumeration(devices);
    return path;
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

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// A udev monitor of hidraw arrivals and removals; invalid where udev cannot be reached.
class HidrawMonitor {
public:
    HidrawMonitor()
    {
        m_udev = udev_new();
        if (!m_udev)
            return;
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0
            || udev_monitor_enable_receiving(m_monitor) < 0) {
            if (m_monitor)
                udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
    }
    ~HidrawMonitor()
    {
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        if (m_udev)
            udev_unref(m_udev);
    }
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    int Fd() const { return m_monitor ? udev_monitor_get_fd(m_monitor) : -1; }

    // Takes every waiting udev event; true when one was an arrival or a removal.
    bool Drain()
    {
        bool changed = false;
        while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
            const char* action = udev_device_get_action(device);
            if (action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
                changed = true;
            udev_device_unref(device);
        }
        return changed;
    }

private:
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};

class HidLink {
public:
    explicit HidLink(const char* threadName) : m_threadName(threadName) {}
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
        std::lock_guard control(m_controlMutex);
        std::lock_guard lock(m_mutex);
        if (m_monitor.joinable())
            return 1;
        m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_stopFd < 0)
            return 0;
        m_target = target;
        m_eventMessage = eventMessage;
        m_linkMessage = linkMessage;
        m_monitor = std::thread([this, vendorId = m_vendorId, productId = m_productId] { Monitor(vendorId, productId); });
        pthread_setname_np(m_monitor.native_handle(), m_threadName);
        return 1;
    }

    int32_t CloseMonitor()
    {
        std::lock_guard control(m_controlMutex);
        if (m_monitor.joinable()) {
            const uint64_t one = 1;
            if (write(m_stopFd, &one, sizeof one) != sizeof one)
                std::fprintf(stderr, "karvo_hid: cannot wake the %s monitor\n", m_threadName);
            m_monitor.join();
        }
        CloseFd(m_stopFd);
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

    // Reads what the device has for us; false when the device has gone.
    bool ReadEvents(int fd)
    {
        for (;;) {
            unsigned char report[kInputReportBytes];
            const ssize_t got = read(fd, report, sizeof report);
            if (got < 0)
                return errno == EAGAIN || errno == EINTR;
            if (got == 0)
                return false;
            if (got >= kEventReportBytes)
                Post(true, uintptr_t(report[1] | report[2] << 8), intptr_t(report[3] | report[4] << 8));
        }
    }

    void Monitor(unsigned short vendorId, unsigned short productId)
    {
        HidrawMonitor hidraw;
        if (hidraw.Fd() < 0)
            std::fprintf(stderr, "karvo_hid: udev cannot be reached; arrivals and removals go unnoticed\n");

        std::string path = FirstDevicePath(vendorId, productId);
        bool present = !path.empty();
        int events = -1;
        auto openEvents = [&] {
            if (events < 0 && !path.empty())
                events = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        };
        openEvents();

        int udevFd = hidraw.Fd();
        for (;;) {
            pollfd waits[3] = {{m_stopFd, POLLIN, 0}, {udevFd, POLLIN, 0}, {events, POLLIN, 0}};
            if (poll(waits, 3, -1) < 0) {
                if (errno == EINTR)
                    continue;
                std::fprintf(stderr, "karvo_hid: the %s monitor stops: %s\n", m_threadName, std::strerror(errno));
                break;
            }
            if (waits[0].revents)
                break;
            constexpr short kBroken = POLLERR | POLLHUP | POLLNVAL;
            if (waits[2].revents && (!ReadEvents(events) || (waits[2].revents & kBroken)))
                CloseFd(events);  // the device went away; udev says so next
            if (waits[1].revents & kBroken) {
                std::fprintf(stderr, "karvo_hid: the udev monitor failed; arrivals and removals go unnoticed\n");
                udevFd = -1;
            } else if (waits[1].revents && hidraw.Drain()) {
                path = FirstDevicePath(vendorId, productId);
                const bool nowPresent = !path.empty();
                if (nowPresent != present) {
                    present = nowPresent;
                    Post(false, present ? 1 : 0, 0);
                }
                if (!present)
                    CloseFd(events);
                openEvents();
            }
        }
        CloseFd(events);
    }

    const char* m_threadName;
    std::mutex m_controlMutex;  // opening and closing the monitor
    std::mutex m_mutex;         // the link's settings, its feature device and its post target
    unsigned short m_vendorId = 0;
    unsigned short m_productId = 0;
    hid_device* m_featureDevice = nullptr;
    const KarvoPostTarget* m_target = nullptr;
    uint32_t m_eventMessage = 0;
    uint32_t m_linkMessage = 0;
    int m_stopFd = -1;
    std::thread m_monitor;
};

HidLink g_cable("hid-cable");
HidLink g_receiver("hid-receiver");

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
