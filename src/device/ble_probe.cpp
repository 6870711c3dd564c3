#include "device/ble_probe.h"

#include <hidapi.h>

namespace {
constexpr unsigned short kBleVendorId = 0x045E;
constexpr unsigned short kBleProductId = 0x0040;
}  // namespace

bool ProbeBleMouse()
{
    if (hid_init() != 0)
        return false;
    hid_device_info* devices = hid_enumerate(kBleVendorId, kBleProductId);
    const bool present = devices != nullptr;
    hid_free_enumeration(devices);
    return present;
}
