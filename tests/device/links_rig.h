// What the device tests share: the links over the two fake driver libraries, a fake clock and a
// recording host, over a session on a fresh data folder. Bluetooth LE arming lands in the host's
// log as "arm 1" / "arm 0", Bluetooth LE writes in bleWrites, what drivers post in posts.
#pragma once

#include <string_view>

#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "support/test_files.h"

// Records what a driver library posts: message, wParam, lParam.
struct PostLog {
    std::vector<std::tuple<std::uint32_t, std::uintptr_t, std::intptr_t>> posts;
    const KarvoPostTarget target{this, [](void* to, std::uint32_t message, std::uintptr_t w, std::intptr_t l) {
                                     static_cast<PostLog*>(to)->posts.emplace_back(message, w, l);
                                 }};
};

struct LinksRig {
    LinksRig()
    {
        FakeCable().Reset(), FakeReceiver().Reset();
        session.Load();
        links.SetCableDriver(FakeCable().Functions());
        links.SetReceiverDriver(FakeReceiver().Functions());
        links.SetBleArm([this](bool on) { host.log << QStringLiteral("arm %1").arg(int(on)); });
        links.SetBleWriter([this](const Report& report) { return bleWrites.push_back(report), 1; });
    }
    explicit LinksRig(std::string_view up) : LinksRig() { Open(up); }

    // Opens the links named in `up`: "c" cable, "r" receiver, "b" a Bluetooth LE mouse found by the
    // start-up probe. What the opening told the host and the drivers is kept; the logs start empty.
    void Open(std::string_view up)
    {
        FakeCable().openResult = up.find('c') != up.npos;
        FakeReceiver().openResult = up.find('r') != up.npos;
        DriverCallLog().clear();
        links.SetBleProbe([ble = up.find('b') != up.npos] { return DriverCallLog() << QStringLiteral("ble-probe"), ble; });
        links.Open(&posted.target, {1327, 1328}, {1325, 1326});
        opened = std::exchange(host.log, {});
        openCalls = std::exchange(DriverCallLog(), {});
    }

    // pro.data once the saves asked for are written.
    QByteArray Store() { return session.FlushSaves(), ReadFileBytes(folder.storeFile("pro.data")); }
    template <typename Function>
    auto Current(Function&& function)  // runs on the current profile under the session's lock
    {
        return session.Locked([&](ProfileSession::State& state) { return function(state.Current()); });
    }
    // One apply over the links; `beforeSend` runs before each report goes.
    bool Apply(const std::function<void()>& beforeSend = [] {})
    {
        return ApplyProfile({session, [this] { return !links.MouseReachable(); },
                             [&](const Report& report) { return beforeSend(), links.SendReport(report); }, {}});
    }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
    PostLog posted;
    QStringList opened, openCalls;
    std::vector<Report> bleWrites;
};
