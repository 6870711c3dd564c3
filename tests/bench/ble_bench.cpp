// A full send of the current profile over Bluetooth LE (a fake BlueZ on a private bus, every report
// a WriteValue call through the bus daemon) against the same send over the emulated receiver. The
// clock records the 500 ms pauses instead of sleeping, so what is measured is the cost beyond them.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "device/apply_profile.h"
#include "device/ble_link.h"
#include "device/ble_transport.h"
#include "device/bluez_names.h"
#include "device/device_links.h"
#include "device/driver_library.h"
#include "device/profile_session.h"
#include "fakes/fake_bluez.h"
#include "fakes/fake_device.h"

namespace {

struct SendRig {
    QTemporaryDir dir;
    ProfileSession session{dir.path() + QLatin1Char('/')};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
    KarvoPostTarget target{nullptr, nullptr};

    SendRig()
    {
        session.Load();
        session.Locked([](ProfileSession::State& state) {
            for (int b : {3, 7}) {
                ButtonRecord& button = state.Current().buttons[b];
                button.function = 17;
                button.macro_action_count = 46;
            }
        });
    }

    // Six reports, two of them 131-byte macros, and the store save.
    void FullSend(benchmark::State& state)
    {
        session.Locked([](ProfileSession::State& s) { s.fullSend = true; });
        ApplyProfile(ApplyContext{session, [this] { return links.Asleep(); },
                                  [this](const Report& r) { return links.SendReport(r); }, {}});
        if (clock.pauses.size() != 6)
            state.SkipWithError("not every report was taken");
        clock.pauses.clear();
    }
};

void BM_FullSendOverTheEmulatedReceiver(benchmark::State& state)
{
    qputenv("KARVO_SIM_CABLE", "0");
    qputenv("KARVO_SIM_RECEIVER", "1");
    qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
    SendRig rig;
    std::unique_ptr<DriverLibrary> receiver = DriverLibrary::Load(QStringLiteral(KARVO_DEMO_DIR "/hiddriver_1.so"));
    if (!receiver) {
        state.SkipWithError("the emulated receiver is not built");
        return;
    }
    FakeCable().openResult = 0;
    rig.links.SetCableDriver(FakeCable().Functions());
    rig.links.SetReceiverDriver(receiver->Functions());
    rig.links.Open(&rig.target, {1327, 1328}, {1325, 1326});
    rig.links.HandleDeviceEvent(0x4010, 0x0801);  // the mouse is online and awake behind it
    for (auto _ : state)
        rig.FullSend(state);
    rig.links.Shutdown();
}
BENCHMARK(BM_FullSendOverTheEmulatedReceiver)->Unit(benchmark::kMicrosecond);

void BM_FullSendOverBluetoothLe(benchmark::State& state)
{
    PrivateSystemBus bus;
    FakeBluez bluez;
    if (!bus.Running() || !bluez.Published()) {
        state.SkipWithError("no private bus");
        return;
    }
    SendRig rig;
    FakeCable().openResult = 0;
    FakeReceiver().openResult = 0;
    rig.links.SetCableDriver(FakeCable().Functions());
    rig.links.SetReceiverDriver(FakeReceiver().Functions());
    BleLink ble(rig.links, BlueZ::SystemBusAddress());
    rig.links.Open(&rig.target, {1327, 1328}, {1325, 1326});
    ble.Start();
    QElapsedTimer waited;
    waited.start();
    while (!rig.links.BlePresent() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!rig.links.BlePresent()) {
        state.SkipWithError("the fake mouse was not found");
        return;
    }
    for (auto _ : state)
        rig.FullSend(state);
}
BENCHMARK(BM_FullSendOverBluetoothLe)->Unit(benchmark::kMicrosecond);

// One report, one WriteValue round trip through the bus daemon to the fake BlueZ's thread.
void BM_OneReportOverBluetoothLe(benchmark::State& state)
{
    PrivateSystemBus bus;
    FakeBluez bluez;
    BleTransport transport(BlueZ::SystemBusAddress());
    bool scanned = false;
    BleTransport::Callbacks callbacks;
    callbacks.initialScan = [&scanned](bool) { scanned = true; };
    transport.Start(callbacks);
    QElapsedTimer waited;
    waited.start();
    while (!scanned && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    transport.Arm(true);
    const Report report = NewReport(0x06, 9);
    for (auto _ : state) {
        if (transport.WriteReport(report) != 1)
            state.SkipWithError("the report was not taken");
    }
}
BENCHMARK(BM_OneReportOverBluetoothLe)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
