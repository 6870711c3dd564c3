// What an apply costs beyond the pauses the mouse needs: encoding, change detection, the
// driver calls and the store save, with a clock that records pauses instead of sleeping.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"

namespace {

struct ApplyRig {
    QTemporaryDir dir;
    ProfileSession session{dir.path() + QLatin1Char('/')};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
    KarvoPostTarget target{nullptr, nullptr};

    ApplyRig()
    {
        session.Load();
        session.Locked([](ProfileSession::State& state) {
            for (int b : {3, 7}) {
                ButtonRecord& button = state.Current().buttons[b];
                button.function = 17;
                button.macro_action_count = 46;
            }
        });
        links.SetCableDriver(FakeCable().Functions());
        FakeReceiver().openResult = 0;
        links.SetReceiverDriver(FakeReceiver().Functions());
        links.Open(&target, {1327, 1328}, {1325, 1326});
    }

    void Apply(bool fullSend)
    {
        session.Locked([fullSend](ProfileSession::State& state) { state.fullSend = fullSend; });
        ApplyProfile(ApplyContext{session, [this] { return links.Asleep(); },
                                  [this](const Report& r) { return links.SendReport(r); }, {}});
        FakeCable().writes.clear();
        clock.pauses.clear();
    }
};

// A profile switch: six reports (two of them macros in two halves each) and the store save.
void BM_ApplyFullSend(benchmark::State& state)
{
    ApplyRig rig;
    for (auto _ : state)
        rig.Apply(true);
}
BENCHMARK(BM_ApplyFullSend)->Unit(benchmark::kMicrosecond);

// An apply with nothing changed: change detection and the store save alone.
void BM_ApplyNothingChanged(benchmark::State& state)
{
    ApplyRig rig;
    rig.Apply(true);
    for (auto _ : state)
        rig.Apply(false);
}
BENCHMARK(BM_ApplyNothingChanged)->Unit(benchmark::kMicrosecond);

// A changed one-profile store through the background writer, waited for.
void BM_SaveOneProfileStore(benchmark::State& state)
{
    ApplyRig rig;
    int stage = 0;
    for (auto _ : state) {
        stage = (stage + 1) % 6;
        rig.session.Locked([stage](ProfileSession::State& s) { s.Current().current_stage = stage; });
        rig.session.RequestProfileSave();
        rig.session.FlushSaves();
    }
}
BENCHMARK(BM_SaveOneProfileStore)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
