#include "fakes/fake_device.h"

namespace {

FakeDriver g_cable, g_receiver;
QStringList g_log;

template <int Slot>
struct Trampolines {
    static FakeDriver& Driver() { return Slot == 0 ? g_cable : g_receiver; }
    static void Log(const QString& name) { g_log << QStringLiteral("%1:%2").arg(Slot == 0 ? "cable" : "receiver", name); }
    static int32_t SetVidPid(int32_t v, int32_t p) { return Log(QStringLiteral("Set_VIDPID(%1,%2)").arg(v, 0, 16).arg(p, 0, 16)), 1; }
    static int32_t OpenMonitor(const KarvoPostTarget* t, uint32_t e, uint32_t l)
    {
        return Driver().target = t, Log(QStringLiteral("Open_DevMonitor(%1,%2)").arg(e).arg(l)), 1;
    }
    static int32_t CloseMonitor() { return Log(QStringLiteral("Close_DevMonitor")), 1; }
    static int32_t OpenDevice() { return Log(QStringLiteral("Open_FeatureDevice")), Driver().openResult; }
    static int32_t CloseDevice() { return Log(QStringLiteral("Close_FeatureDevice")), 1; }
    static int32_t SetFeature(const uint8_t* r, int32_t n)
    {
        std::vector<int>& answers = (Driver().writes.emplace_back(r, r + n), Driver().setFeatureResults);
        const int result = answers.empty() ? 1 : answers.front();
        return answers.erase(answers.begin(), answers.begin() + int(!answers.empty())), result;
    }
    static int32_t GetFeature(uint8_t*, int32_t) { return 0; }
    static DriverFunctions Table() { return {SetVidPid, OpenMonitor, CloseMonitor, OpenDevice, CloseDevice, SetFeature, GetFeature}; }
};

}  // namespace

DriverFunctions FakeDriver::Functions() { return this == &g_cable ? Trampolines<0>::Table() : Trampolines<1>::Table(); }

FakeDriver& FakeCable() { return g_cable; }
FakeDriver& FakeReceiver() { return g_receiver; }
QStringList& DriverCallLog() { return g_log; }
