// Loading and saving a profile store of 1000 profiles (about 33 MB), directly and through the
// session's background writer while the window's thread keeps using the session.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/storage/profile_store.h"
#include "device/profile_session.h"

namespace {

constexpr int kProfiles = 1000;

struct BenchStore {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();

    BenchStore()
    {
        *header = {};
        for (int i = 0; i < kProfiles; ++i)
            AddDefaultProfile(profiles);
        SaveProfileStore(profiles, *header, folder);
    }
};

void BM_SaveProfileStore1000(benchmark::State& state)
{
    BenchStore store;
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveProfileStore(store.profiles, *store.header, store.folder));
    state.SetBytesProcessed(state.iterations() * (164884 + 32976 * kProfiles));
}
BENCHMARK(BM_SaveProfileStore1000)->Unit(benchmark::kMillisecond);

void BM_LoadProfileStore1000(benchmark::State& state)
{
    BenchStore store;
    ProfileList loaded;
    StoreHeader* header = store.header.get();
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadProfileStore(loaded, *header, store.folder));
        if (loaded.size() != kProfiles)
            state.SkipWithError("store did not load whole");
    }
    state.SetBytesProcessed(state.iterations() * (164884 + 32976 * kProfiles));
}
BENCHMARK(BM_LoadProfileStore1000)->Unit(benchmark::kMillisecond);

// A save of 1000 profiles through the background writer. The calling thread stands for the
// window's: it asks for the save, then keeps touching the session (as the mouse's events and the
// controls do) every 0.2 ms until the file is written, timing each touch. Argument 0: only the
// current profile changed (what the mouse reports); 1: the list changed (a rename, an import).
void BM_BackgroundSave1000(benchmark::State& state)
{
    const bool wholeList = state.range(0) != 0;
    QTemporaryDir dir;
    ProfileSession session(dir.path() + QLatin1Char('/'));
    session.Load();
    session.Locked([](ProfileSession::State& s) {
        for (int i = 1; i < kProfiles; ++i)
            AddDefaultProfile(s.profiles);
    });
    session.RequestProfileSave();
    session.FlushSaves();

    qint64 longestRequestNs = 0;
    qint64 longestTouchNs = 0;
    qint64 touches = 0;
    qint64 slowTouches = 0;  // over 4 ms
    int stage = 0;
    for (auto _ : state) {
        stage = (stage + 1) % 6;
        QElapsedTimer request;
        request.start();
        if (wholeList)
            session.Locked([stage](ProfileSession::State& s) { s.profiles[500]->current_stage = stage; });
        else
            session.LockedCurrentProfile([stage](ProfileRecord& current) { current.current_stage = stage; });
        session.RequestProfileSave();
        longestRequestNs = std::max(longestRequestNs, request.nsecsElapsed());

        std::atomic<bool> written{false};
        std::thread flusher([&] {
            session.FlushSaves();
            written = true;
        });
        while (!written) {
            QElapsedTimer touch;
            touch.start();
            session.LockedCurrentProfile([](ProfileRecord& current) { benchmark::DoNotOptimize(current.current_stage); });
            const qint64 touchNs = touch.nsecsElapsed();
            longestTouchNs = std::max(longestTouchNs, touchNs);
            slowTouches += touchNs > 4000000;
            ++touches;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        flusher.join();
    }
    state.counters["longest_request_ms"] = double(longestRequestNs) / 1e6;
    state.counters["longest_touch_ms"] = double(longestTouchNs) / 1e6;
    state.counters["touches"] = double(touches);
    state.counters["touches_over_4ms"] = double(slowTouches);
    state.counters["writes"] = session.Writer().WriteCount();
}
BENCHMARK(BM_BackgroundSave1000)->ArgName("whole_list")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
