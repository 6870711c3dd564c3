#pragma once

#include <QString>
#include <functional>
#include <vector>

// A Karvo mouse (cable or receiver) that is attached but whose device node this user may not open:
// the udev rule that grants the logged-in user access is missing or not yet applied.
struct InaccessibleDevice {
    QString path;  // the hidraw node, e.g. /dev/hidraw3
    unsigned short productId = 0;
};

// The rule file installed with the program, and what a user does to put it in place.
inline constexpr char kUdevRuleName[] = "70-karvo-gaming-mouse.rules";
QString DeviceAccessHint();

// Looks for attached cable and receiver nodes that cannot be opened for reading and writing.
// Reads sysfs and device nodes: call it away from the UI thread.
using DeviceAccessProbe = std::function<std::vector<InaccessibleDevice>()>;
std::vector<InaccessibleDevice> FindInaccessibleDevices();

// The probe in use: FindInaccessibleDevices unless a test set its own (an empty function
// restores the real one).
DeviceAccessProbe CurrentDeviceAccessProbe();
void SetDeviceAccessProbe(DeviceAccessProbe probe);
