#include "device/device_access.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cerrno>
#include <hidapi.h>
#include <mutex>
#include <unistd.h>

#include "device/device_links.h"

Q_LOGGING_CATEGORY(lcAccess, "karvo.device.access", QtInfoMsg)

namespace {

std::mutex g_probeMutex;
DeviceAccessProbe g_probe;

bool IsKarvoProduct(unsigned short productId)
{
    return productId == DeviceLinks::kCableProductId || productId == DeviceLinks::kReceiverProductId;
}

}  // namespace

QString DeviceAccessHint()
{
    return QStringLiteral(
               "A Karvo mouse is attached, but this user may not open it (permission denied). The udev rule "
               "%1 gives the logged-in user access: it is installed with the program under "
               "lib/udev/rules.d/. If you built the program yourself, copy it to /etc/udev/rules.d/, then run "
               "\"sudo udevadm control --reload-rules && sudo udevadm trigger\" and plug the mouse in again.")
        .arg(QLatin1String(kUdevRuleName));
}

std::vector<InaccessibleDevice> FindInaccessibleDevices()
{
    std::vector<InaccessibleDevice> found;
    if (hid_init() != 0)
        return found;
    hid_device_info* devices = hid_enumerate(DeviceLinks::kVendorId, 0);
    for (const hid_device_info* device = devices; device; device = device->next) {
        if (!IsKarvoProduct(device->product_id) || !device->path)
            continue;
        // hidapi's hidraw backend names the node itself; access(2) asks with the user's real ids,
        // as opening it would.
        if (access(device->path, R_OK | W_OK) == 0)
            continue;
        if (errno != EACCES && errno != EPERM)
            continue;
        const QString path = QString::fromLocal8Bit(device->path);
        if (std::none_of(found.begin(), found.end(), [&](const InaccessibleDevice& d) { return d.path == path; })) {
            found.push_back({path, device->product_id});
            qCInfo(lcAccess) << "no access to" << path;
        }
    }
    hid_free_enumeration(devices);
    return found;
}

DeviceAccessProbe CurrentDeviceAccessProbe()
{
    std::lock_guard lock(g_probeMutex);
    return g_probe ? g_probe : DeviceAccessProbe(FindInaccessibleDevices);
}

void SetDeviceAccessProbe(DeviceAccessProbe probe)
{
    std::lock_guard lock(g_probeMutex);
    g_probe = std::move(probe);
}
