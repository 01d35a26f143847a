// Time of the first-run setup: the whole run into an empty data folder, a
// second run that finds every picture complete, and the single generators.
#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/MediaPictures.h"
#include "catalogue/setup/Setup.h"
#include "image/Raster.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path MakeRoot()
{
    std::random_device rd;
    fs::path root = fs::temp_directory_path() / ("vt_bench_setup_" + std::to_string(rd()));
    fs::create_directories(root / "installed");
    for (const CatalogueEntry& e : GetCatalogue())
        std::ofstream(root / "installed" / GetCatalogueSectionName(e), std::ios::binary) << std::string(200, 'x');
    return root;
}

SetupOptions Options(const fs::path& root)
{
    SetupOptions o;
    o.installedDataFolder = (root / "installed").string();
    return o;
}

void BM_SetupFirstRun(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path root = MakeRoot();
        std::string error;
        auto folders = CAppFolders::Create((root / "data").string(), error);
        state.ResumeTiming();
        const SetupResult r = CSetup(*folders, Options(root), {}).Run();
        if (r.outcome != SetupOutcome::Completed)
            state.SkipWithError(r.message.c_str());
        state.PauseTiming();
        fs::remove_all(root);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetupFirstRun)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SetupSecondRun(benchmark::State& state)
{
    const fs::path root = MakeRoot();
    std::string error;
    auto folders = CAppFolders::Create((root / "data").string(), error);
    CSetup(*folders, Options(root), {}).Run();
    for (auto _ : state) {
        folders->PutProgramInt("Init", "Template", 0);
        CSetup(*folders, Options(root), {}).Run();
    }
    fs::remove_all(root);
}
BENCHMARK(BM_SetupSecondRun)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DrawCDPicture(benchmark::State& state)
{
    const CDFinish finish{state.range(0) != 0, true, true};
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawCDPicture(0x00C0E0, 0x00C0C0, 0x00E0C0, finish));
}
BENCHMARK(BM_DrawCDPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveCDPicturePng(benchmark::State& state)
{
    const fs::path root = MakeRoot();
    auto picture = DrawCDPicture(0xFF, 0xFF, 0xFF, CDFinish{});
    const std::string path = (root / "cd.png").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(picture->Save(path.c_str(), IMAGE_TYPE_PNG));
    fs::remove_all(root);
}
BENCHMARK(BM_SaveCDPicturePng)->Unit(benchmark::kMillisecond);

void BM_DrawMediaSet(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawMediaPictures(MediaKind::Floppy, 0xFF, 0x2020FF, 0xEF, 0xC0C0C0));
}
BENCHMARK(BM_DrawMediaSet)->Unit(benchmark::kMillisecond);

} // namespace
