// How long the window's thread is kept from its event loop while the mouse reports DPI changes:
// the real main window over the emulated mouse's driver libraries, with stores of 1, 300 and 1000
// profiles. Every event the window's thread handles is timed; the longest one is the longest the
// window could not repaint or answer input. Target: under 4 ms in every case.
//
// On a shared machine a thread also loses time to other programs, so each event's time is split:
// longest_cpu_ms is the most work one event took, longest_wait_ms the longest an event waited for
// something (a lock, the disk) beyond work and queueing for a processor.

#include <benchmark/benchmark.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/shell/main_wnd.h"
#include "core/platform/dynamic_library.h"
#include "core/storage/app_folders.h"
#include "core/storage/profile_store.h"
#include "fakes/fake_device.h"
#include "ui/resource_manager.h"
#include "ui/window_message.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
constexpr int kPresses = 50;

// Times every event handed out on the window's thread (outermost dispatch only, so a nested
// modal loop counts as the events it handles).
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth++ > 0 || !m_measuring) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer timer;
        const qint64 cpuBefore = ThreadCpuNs();
        const qint64 queuedBefore = RunQueueNs();
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 ns = timer.nsecsElapsed();
        const qint64 cpu = ThreadCpuNs() - cpuBefore;
        const qint64 queued = RunQueueNs() - queuedBefore;
        --m_depth;
        // Time neither spent working nor waiting for a processor: waiting on something (a lock).
        m_longestWaitNs = std::max(m_longestWaitNs, ns - cpu - queued);
        m_longestCpuNs = std::max(m_longestCpuNs, cpu);
        // What a driver library posts reaches the window through its post target (no widget).
        if (event->type() == WindowMessageEvent::EventType() && receiver && !receiver->isWidgetType())
            m_longestDeviceNs = std::max(m_longestDeviceNs, ns);
        if (ns > m_longestNs) {
            m_longestNs = ns;
            m_longestWhat = QStringLiteral("event %1 to %2 %3")
                                .arg(int(event->type()))
                                .arg(QLatin1String(receiver ? receiver->metaObject()->className() : "?"),
                                     receiver ? receiver->objectName() : QString());
        }
        m_totalNs += ns;
        ++m_events;
        return handled;
    }

    void StartMeasuring()
    {
        m_longestNs = m_totalNs = m_longestDeviceNs = m_longestWaitNs = m_longestCpuNs = 0;
        m_events = 0;
        m_measuring = true;
    }
    void StopMeasuring() { m_measuring = false; }
    double LongestMs() const { return double(m_longestNs) / 1e6; }
    double LongestDeviceMs() const { return double(m_longestDeviceNs) / 1e6; }
    double LongestWaitMs() const { return double(m_longestWaitNs) / 1e6; }
    double LongestCpuMs() const { return double(m_longestCpuNs) / 1e6; }
    double MeanMs() const { return m_events ? double(m_totalNs) / 1e6 / double(m_events) : 0; }
    qint64 Events() const { return m_events; }
    QString LongestWhat() const { return m_longestWhat; }

private:
    int m_depth = 0;
    bool m_measuring = false;
    qint64 m_longestNs = 0;
    qint64 m_longestDeviceNs = 0;
    qint64 m_longestWaitNs = 0;
    qint64 m_longestCpuNs = 0;

    static qint64 ThreadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }
    // Time this thread spent ready to run but without a processor (the machine is shared).
    static qint64 RunQueueNs()
    {
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/task/%ld/schedstat", long(syscall(SYS_gettid)));
        FILE* file = std::fopen(path, "r");
        if (!file)
            return 0;
        long long running = 0, waiting = 0;
        const int got = std::fscanf(file, "%lld %lld", &running, &waiting);
        std::fclose(file);
        return got == 2 ? waiting : 0;
    }
    qint64 m_totalNs = 0;
    qint64 m_events = 0;
    QString m_longestWhat;
};

TimedApplication* g_app = nullptr;

void WriteStore(int profiles)
{
    ProfileList list;
    for (int i = 0; i < profiles; ++i)
        AddDefaultProfile(list);
    auto header = std::make_unique<StoreHeader>();
    *header = {};
    SaveProfileStore(list, *header, GetDataFolder());
}

// Runs the window's event loop until done() or the time is up.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void BM_WindowBlockDuringDpiPresses(benchmark::State& state)
{
    const int profiles = int(state.range(0));
    const bool warm = state.range(1) != 0;
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("KARVO_SIM_SOCKET", (home.path() + QStringLiteral("/sim.sock")).toUtf8());
    WriteStore(profiles);

    auto device = DynamicLibrary::Load(kDemo + QStringLiteral("libkarvo_simmouse.so"));
    auto command = device ? device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command") : nullptr;
    if (!command) {
        state.SkipWithError("the emulated mouse is missing; build karvo_demo");
        return;
    }
    auto ask = [command](const char* line) {
        char reply[16384];
        command(line, reply, sizeof reply);
        return QString::fromUtf8(reply);
    };
    ask("reset");

    FakeClock clock;  // no pauses between reports: the window's thread is what is measured
    for (auto _ : state) {
        CMainWnd window;
        window.Page().SetDriverFolder(kDemo);
        window.Page().SetClock(&clock);
        if (!window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572})) {
            state.SkipWithError("the main window cannot be built");
            return;
        }
        // The first full send gives the mouse its DPI stages.
        if (!RunUntil([&] { return ask("state").contains(QLatin1String("\"configured\":true")); })) {
            state.SkipWithError("the mouse was never configured");
            return;
        }
        RunUntil([] { return false; }, 200);  // let the start settle
        if (warm) {
            // The first pop-up of a run pays for building its skin and fonts once; it closes
            // after 2 s and is built again by the first measured press.
            ask("press dpi");
            RunUntil([] { return false; }, 2300);
        }

        g_app->StartMeasuring();
        std::atomic<int> pressed{0};
        std::thread mouse([&] {
            for (int i = 0; i < kPresses; ++i) {
                ask("press dpi");
                ++pressed;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a quick thumb
            }
        });
        RunUntil([&] { return pressed == kPresses; });
        mouse.join();
        RunUntil([] { return false; }, 100);  // the last events and what they post
        g_app->StopMeasuring();

        state.counters["longest_block_ms"] = g_app->LongestMs();
        state.counters["longest_device_event_ms"] = g_app->LongestDeviceMs();
        state.counters["longest_cpu_ms"] = g_app->LongestCpuMs();
        state.counters["longest_wait_ms"] = g_app->LongestWaitMs();
        state.counters["mean_event_ms"] = g_app->MeanMs();
        state.counters["events"] = double(g_app->Events());
        state.SetLabel(g_app->LongestWhat().toStdString());
        window.Page().ShutdownDevice();
    }
}
// Arguments: profiles in the store; whether one pop-up was shown (and closed) before measuring.
BENCHMARK(BM_WindowBlockDuringDpiPresses)
    ->ArgNames({"profiles", "warm"})
    ->ArgsProduct({{1, 300, 1000}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
    qputenv("KARVO_SIM_CABLE", "1");
    qputenv("KARVO_SIM_RECEIVER", "0");
    TimedApplication app(argc, argv);
    g_app = &app;
    QApplication::setQuitOnLastWindowClosed(false);
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));
    CResourceManager::Instance().LoadLanguage(QStringLiteral("lan.xml"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
