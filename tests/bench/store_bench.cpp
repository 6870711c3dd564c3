// Loading and saving a profile store of 1000 profiles (about 33 MB).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "core/storage/profile_store.h"

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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
