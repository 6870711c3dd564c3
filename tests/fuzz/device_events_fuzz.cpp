// Feeds arbitrary sequences of link changes, mouse events, watchdog expiries, deferred work and
// applies to the link logic over fake drivers, a fake clock and a scratch session. The session's
// current profile stays valid, pro.data stays a sound store, and what the mouse reports stays in
// range.
//
// Input: one byte of start flags, then steps of five bytes: an operation and two 16-bit words.

#include <array>
#include <cstring>
#include <memory>

#include "core/report/report.h"
#include "core/storage/profile_store.h"
#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/link_code.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "fuzz_support.h"

namespace {

constexpr std::uint32_t kWiredEvent = 1327, kWiredLink = 1328, kReceiverEvent = 1325, kReceiverLink = 1326;
constexpr std::array<std::uint16_t, 7> kEventCodes = {0x1000, 0x2000, 0x4010, 0x6000, 0x7000, 0x8000, 0x9000};

struct Step {
    std::uint8_t op;
    std::uint16_t a;
    std::uint16_t b;
};

std::uint32_t LinkCodeFrom(const Step& step)
{
    switch (step.a % 5) {
    case 0: return LinkCode::kArrived;
    case 1: return LinkCode::kRemoved;
    case 2: return LinkCode::kLinkBase;
    case 3: return LinkCode::FromEvent(kEventCodes[step.b % kEventCodes.size()], step.b >> 4);
    default: return std::uint32_t(step.a) << 16 | step.b;
    }
}

// Small signed values, or the word repeated in both halves for extreme ones.
std::int32_t FieldValue(const Step& step)
{
    return (step.op & 0x80) ? std::int32_t(std::uint32_t(step.b) * 0x10001u) : std::int16_t(step.b);
}

void CheckSession(ProfileSession& session)
{
    session.Locked([](ProfileSession::State& state) {
        Check(!state.profiles.empty(), "the session holds a profile");
        Check(state.header->current_profile_index < state.profiles.size(), "the current index stays valid");
    });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const ScratchFolder& folder = Scratch();
    folder.Clear();
    FakeCable().Reset();
    FakeReceiver().Reset();
    DriverCallLog().clear();

    ProfileSession session(folder.path());
    session.Load();
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links(host, session, clock);
    const std::uint8_t flags = data[0];
    if (!(flags & 0x08))
        links.SetCableDriver(FakeCable().Functions());
    if (!(flags & 0x10))
        links.SetReceiverDriver(FakeReceiver().Functions());
    FakeCable().openResult = flags & 0x01;
    FakeReceiver().openResult = (flags >> 1) & 0x01;
    links.SetBleProbe([flags] { return (flags & 0x04) != 0; });
    int bleWrites = 0;
    links.SetBleWriter([&bleWrites, flags](const Report&) { return (flags & 0x20) && ++bleWrites % 3 ? 1 : 0; });
    KarvoPostTarget target{nullptr, nullptr};
    links.Open(&target, {kWiredEvent, kWiredLink}, {kReceiverEvent, kReceiverLink});

    for (std::size_t at = 1; at + 5 <= size; at += 5) {
        const Step step{data[at], std::uint16_t(data[at + 1] | data[at + 2] << 8),
                        std::uint16_t(data[at + 3] | data[at + 4] << 8)};
        switch (step.op % 10) {
        case 0: links.HandleDeviceEvent(kEventCodes[step.a % kEventCodes.size()], step.b); break;
        case 1: links.HandleDeviceEvent(step.a, step.b); break;
        case 2: links.HandleWiredLink(LinkCodeFrom(step)); break;
        case 3: links.HandleReceiverLink(LinkCodeFrom(step)); break;
        case 4: clock.RunDeferred(); break;
        case 5: links.OnOnlineWatchdogExpired(); break;
        case 6:
            ApplyProfile(ApplyContext{session, [&] { return links.Asleep(); },
                                      [&](const Report& report) { return links.SendReport(report); }, {}});
            break;
        case 7: {
            // A crafted value in any 32-bit field of the current profile, as a damaged store holds.
            const std::size_t field = step.a % (sizeof(ProfileRecord) / 4);
            const std::int32_t value = FieldValue(step);
            session.Locked([&](ProfileSession::State& state) {
                std::memcpy(reinterpret_cast<char*>(&state.Current()) + field * 4, &value, 4);
            });
            break;
        }
        case 8:
            if (FakeCable().setFeatureResults.size() < 64) {
                FakeCable().setFeatureResults.push_back(step.a & 1);
                FakeReceiver().setFeatureResults.push_back(step.b & 1);
            }
            break;
        default: links.NextChargingValue(); break;
        }
        CheckSession(session);
        Check(links.BatteryLevel() >= 0 && links.BatteryLevel() <= 10, "the battery level stays in 0..10");
        Check(!links.AnyLinkConnected() || links.AnyLinkUp(), "a connected mouse has a link");
    }
    links.Shutdown();

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    Check(LoadProfileStore(profiles, *header, folder.path()).outcome == StoreLoadResult::Outcome::Loaded,
          "pro.data stays a sound store");
    return 0;
}
