// Start-up cost of the register map: Build with the address maps, and a
// device profile.
#include "model/RegisterCatalogue.h"

#include <benchmark/benchmark.h>

static void BM_CatalogueBuild(benchmark::State& state)
{
    RegisterCatalogue catalogue;
    for (auto _ : state) {
        catalogue.Build();
        benchmark::DoNotOptimize(catalogue.Table(RegisterTableKind::Holding));
    }
}
BENCHMARK(BM_CatalogueBuild)->Unit(benchmark::kMicrosecond);

static void BM_CatalogueConstructAndBuild(benchmark::State& state)
{
    for (auto _ : state) {
        RegisterCatalogue catalogue;
        catalogue.Build();
        benchmark::DoNotOptimize(catalogue.Table(RegisterTableKind::Holding));
    }
}
BENCHMARK(BM_CatalogueConstructAndBuild)->Unit(benchmark::kMicrosecond);

static void BM_ApplyDeviceProfile(benchmark::State& state)
{
    RegisterCatalogue catalogue;
    catalogue.Build();
    for (auto _ : state)
        catalogue.ApplyDeviceProfile(2050, 0, 3);
}
BENCHMARK(BM_ApplyDeviceProfile)->Unit(benchmark::kMicrosecond);
