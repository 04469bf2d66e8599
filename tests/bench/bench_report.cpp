// The commissioning report's cost: a report of all categories against the
// export of the same registers, both over a unit whose every read takes the
// same time (on the line the reading dominates: the report may add at most a
// tenth), and the PDF of some 650 registers (it should take under a second).
#include "model/RegisterCatalogue.h"
#include "tools/config/CConfigExport.h"
#include "tools/config/IConfigProgress.h"
#include "tools/config/IConfigUnit.h"
#include "tools/report/CReportBuilder.h"
#include "tools/report/ReportHtml.h"
#include "tools/report/ReportJson.h"
#include "tools/report/ui/ReportPdf.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

// A read costs what a short exchange on the adapter's line costs at the
// least; the report and the export ask the same registers the same way.
constexpr auto kReadCost = std::chrono::microseconds(200);

struct NoProgress : IConfigProgress
{
    void showPercent(int) override {}
    void markFailed() override {}
};

struct TimedUnit : IConfigUnit
{
    int open() override { return 0; }
    void close() override {}
    int readHolding(uint16_t a, uint16_t* v) override
    {
        std::this_thread::sleep_for(kReadCost);
        *v = static_cast<uint16_t>(a % 7);
        return 0;
    }
    int writeHolding(uint16_t, uint16_t) override { return 0; }
    int deviceType() const override { return 2050; }
    bool demoMode() const override { return false; }
};

std::vector<ConfigFile::Range> AllCategories()
{
    std::vector<ConfigFile::Range> ranges;
    for (const ConfigFile::Category& c : ConfigFile::Categories())
        ranges.push_back({c.first, c.last});
    return ranges;
}

RegisterCatalogue& Catalogue()
{
    static RegisterCatalogue catalogue = [] {
        RegisterCatalogue c;
        c.Build();
        c.ApplyDeviceProfile(2050, 1, 0);
        return c;
    }();
    return catalogue;
}

const std::string kFile = (std::filesystem::temp_directory_path() / "tavemo-bench-report").string();

void BM_ExportAllCategories(benchmark::State& state)
{
    TimedUnit unit;
    NoProgress progress;
    for (auto _ : state) {
        CConfigExport job(Catalogue(), unit, progress);
        benchmark::DoNotOptimize(job.run(kFile + ".csv", ConfigFile::Format::Csv, AllCategories()));
    }
    std::filesystem::remove(kFile + ".csv");
}
BENCHMARK(BM_ExportAllCategories)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReportAllCategoriesJsonAndHtml(benchmark::State& state)
{
    TimedUnit unit;
    NoProgress progress;
    for (auto _ : state) {
        CReportBuilder builder(Catalogue(), unit, progress);
        ReportRequest request;
        request.ranges = AllCategories();
        Report report;
        builder.build(request, report);
        benchmark::DoNotOptimize(ReportJson::Render(report));
        benchmark::DoNotOptimize(ReportHtml::Render(report));
        state.counters["registers"] = static_cast<double>(report.registers.size());
    }
}
BENCHMARK(BM_ReportAllCategoriesJsonAndHtml)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReportPdf(benchmark::State& state)
{
    struct FastUnit : TimedUnit
    {
        int readHolding(uint16_t a, uint16_t* v) override
        {
            *v = static_cast<uint16_t>(a % 7);
            return 0;
        }
    } unit;
    NoProgress progress;
    CReportBuilder builder(Catalogue(), unit, progress);
    ReportRequest request;
    request.ranges = AllCategories();
    Report report;
    builder.build(request, report);
    // As in the window: one Qt application for the whole run.
    static int argc = 1;
    static char name[] = "bench_report";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    ReportPdf::Render(report); // the fonts once
    for (auto _ : state)
        benchmark::DoNotOptimize(ReportPdf::Render(report));
    state.counters["registers"] = static_cast<double>(report.registers.size());
}
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
