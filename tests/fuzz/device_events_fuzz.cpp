// Feeds arbitrary sequences of link changes, mouse events, watchdog expiries, deferred work and
// applies to the link logic over fake drivers, a fake clock and a scratch session. The current
// profile stays valid, what the mouse reports stays in range, and pro.data stays a sound store.
// Input: one byte of start flags, then steps of five bytes: an operation and two 16-bit words.
#include <array>
#include <cstring>

#include "core/storage/profile_store.h"
#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/link_code.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "fuzz_support.h"

namespace {

constexpr std::array<std::uint16_t, 7> kEventCodes = {0x1000, 0x2000, 0x4010, 0x6000, 0x7000, 0x8000, 0x9000};

std::uint32_t LinkCodeFrom(std::uint16_t a, std::uint16_t b) {
    const std::uint32_t codes[] = {LinkCode::kArrived, LinkCode::kRemoved, LinkCode::kLinkBase,
                                   LinkCode::FromEvent(kEventCodes[b % kEventCodes.size()], b >> 4), std::uint32_t(a) << 16 | b};
    return codes[a % 5];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    ClearScratch();
    DriverCallLog().clear();
    ProfileSession session(Scratch());
    session.Load();
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links(host, session, clock);
    const std::uint8_t flags = data[0];  // drivers there, links that open, Bluetooth LE present and taking reports
    for (auto [fake, shift, set] : {std::tuple(&FakeCable(), 0, &DeviceLinks::SetCableDriver),
                                    std::tuple(&FakeReceiver(), 1, &DeviceLinks::SetReceiverDriver)}) {
        fake->Reset();
        fake->openResult = (flags >> shift) & 0x01;
        if (!(flags & (0x08 << shift)))
            (links.*set)(fake->Functions());
    }
    links.SetBleProbe([flags] { return (flags & 0x04) != 0; });
    links.SetBleWriter([flags, writes = 0](const Report&) mutable { return (flags & 0x20) && ++writes % 3 ? 1 : 0; });
    KarvoPostTarget target{nullptr, nullptr};
    links.Open(&target, {1327, 1328}, {1325, 1326});  // the wired and receiver event and link messages

    for (std::size_t at = 1; at + 5 <= size; at += 5) {
        const std::uint8_t op = data[at];
        const auto a = std::uint16_t(data[at + 1] | data[at + 2] << 8), b = std::uint16_t(data[at + 3] | data[at + 4] << 8);
        switch (op % 10) {
        case 0: links.HandleDeviceEvent(kEventCodes[a % kEventCodes.size()], b); break;
        case 1: links.HandleDeviceEvent(a, b); break;
        case 2: links.HandleWiredLink(LinkCodeFrom(a, b)); break;
        case 3: links.HandleReceiverLink(LinkCodeFrom(a, b)); break;
        case 4: clock.RunDeferred(); break;
        case 5: links.OnOnlineWatchdogExpired(); break;
        case 6:
            ApplyProfile({session, [&] { return links.Asleep(); }, [&](const Report& r) { return links.SendReport(r); }, {}});
            break;
        case 7: {  // a crafted value in any 32-bit field of the current profile, as a damaged store holds
            const std::int32_t value = (op & 0x80) ? std::int32_t(std::uint32_t(b) * 0x10001u) : std::int16_t(b);
            session.Locked([&](ProfileSession::State& state) {
                std::memcpy(reinterpret_cast<char*>(&state.Current()) + a % (sizeof(ProfileRecord) / 4) * 4, &value, 4);
            });
            break;
        }
        case 8:  // what the next feature-report writes give
            if (FakeCable().setFeatureResults.size() < 64)
                FakeCable().setFeatureResults.push_back(a & 1), FakeReceiver().setFeatureResults.push_back(b & 1);
            break;
        default: links.NextChargingValue(); break;
        }
        session.Locked([](ProfileSession::State& state) {
            Check(!state.profiles.empty() && state.header->current_profile_index < state.profiles.size(),
                  "the session holds a profile and a valid current index");
        });
        Check(links.BatteryLevel() >= 0 && links.BatteryLevel() <= 10, "the battery level stays in 0..10");
        Check(!links.AnyLinkConnected() || links.AnyLinkUp(), "a connected mouse has a link");
    }
    links.Shutdown();

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    Check(LoadProfileStore(profiles, *header, Scratch()).outcome == StoreLoadResult::Outcome::Loaded,
          "pro.data stays a sound store");
    return 0;
}
