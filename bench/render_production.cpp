// Print-size rendering: the default Software Box at 1000 x 1000, magnification
// 4, Detail Standard, drawn the old way (the scratch picture whole, one
// thread, every face sampled one pixel at a time: the reference) and in bands on one and on two threads; the
// finishing-only edit at that size; a cut-out render. Compare the rows of
// one run: the ratios are what counts on a given machine.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <sys/resource.h>

#include "BenchDataFolders.h"
#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/setup/Setup.h"
#include "engine3d/sampling/FaceRunSampler.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

namespace {

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

const CAppFolders* GetDataFolders() { return GetBenchDataFolders("vt_bench_render_production"); }

// The Software Box as a new project makes it, at `side` pixels and magnification k.
// `photograph` keeps the look new projects start with (lit, smooth, seen from
// above); otherwise the view goes back to the setting table's start values and
// the look settings to 0: the plain look, nearest texels, of projects saved
// before them, on which the speed targets were set.
// Face pictures with detail everywhere, as a photograph has (no one-colour
// areas): smooth waves with fine grain, the same every run.
void PaintPhotographicFaces(CProduct& product)
{
    for (std::size_t i = 0; i < product.GetSideCount(); ++i) {
        const std::string& key = product.GetSideKey(i);
        CRaster* picture = product.GetSide(i).GetPicture();
        if (key.size() != 1 || key[0] < 'A' || key[0] > 'Z' || picture == nullptr || picture->GetBpp() != 24)
            continue;
        unsigned grain = 12345;
        for (int y = 0; y < picture->GetHeight(); ++y) {
            std::uint8_t* row = picture->GetBits(y);
            for (int x = 0; x < 3 * picture->GetWidth(); ++x) {
                grain = grain * 1103515245u + 12345u;
                const double wave = std::sin(x * 0.017 + (x % 3)) * std::cos(y * 0.023);
                row[x] = static_cast<std::uint8_t>(128 + 90 * wave + static_cast<int>(grain >> 27));
            }
        }
    }
}

std::unique_ptr<CProduct> MakeSoftwareBox(int side, int k, bool photograph = false, int detail = 0,
                                          bool photographicFaces = false)
{
    std::unique_ptr<CProduct> p = MakeBenchProduct(GetDataFolders(), "box/Software Box", side, k);
    if (!p) return nullptr;
    SettingStore& m = p->GetSettings();
    if (!photograph) {
        SettingStore start;
        ApplyStartValues(start);
        for (std::uint32_t id : {kSetXRotation, kSetYRotation, kSetZRotation, kSetObserverX, kSetObserverY,
                                 kSetSoftenEdges})
            m.SetInt(ModelKey(id), start.GetInt(ModelKey(id)));
        // 0 is the plain look of a project saved without these.
        for (std::uint32_t id : {kSetElevation, kSetLens, kSetShading, kSetTextureFiltering, kSetShadowSoftness,
                                 kSetFraming, kSetLighting, kSetBackdrop})
            m.SetInt(ModelKey(id), 0);
        m.SetInt(ModelKey(kSetShadowStyle), 3);
    }
    m.SetInt(ModelKey(kSetDetail), detail);
    if (photographicFaces) PaintPhotographicFaces(*p);
    return p;
}

// Arguments: mode (0 reference: whole scratch, one thread; 1 bands; 2 cut-out;
// 3 bands in the look new projects start with), threads, Detail (0 Standard,
// 1 Enhanced), photo (1: the faces' pictures have detail everywhere, as a
// photograph has; Enhanced should cost at most 1.5 times Standard in every look).
void FullRender1000(benchmark::State& state)
{
    auto product = MakeSoftwareBox(1000, 4, state.range(0) == 3, static_cast<int>(state.range(2)), state.range(3) != 0);
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    const int mode = static_cast<int>(state.range(0));
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetWholeScratch(mode == 0);
    pipeline.SetTransparent(mode == 2);
    pipeline.SetThreads(static_cast<int>(state.range(1)));
    // The reference samples every face one pixel at a time, as before the run sampler.
    CFaceRunSampler::SetEnabled(mode != 0);
    long faults = 0; // minor page faults in the renders
    for (auto _ : state) {
        backend.DiscardModel();
        pipeline.GetCache().Clear();
        const long before = MinorFaults();
        if (!pipeline.Render("y", *product)) state.SkipWithError("render failed");
        faults += MinorFaults() - before;
    }
    state.counters["faults"] = benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
    CFaceRunSampler::SetEnabled(true);
    state.SetLabel(mode == 0 ? "reference" : mode == 1 ? "bands" : mode == 2 ? "cut-out" : "photograph");
}

void FinishingOnly1000(benchmark::State& state)
{
    auto product = MakeSoftwareBox(1000, 4);
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.Render("y", *product);
    int brightness = 100;
    for (auto _ : state) {
        // A finishing edit, as the property grid makes it.
        brightness = brightness == 100 ? 110 : 100;
        product->GetSettings().SetInt(ModelKey(kSetBrightness), brightness);
        pipeline.GetCache().MarkStale("z");
        pipeline.Render("z", *product);
    }
}

}  // namespace

BENCHMARK(FullRender1000)
    ->Args({0, 1, 0, 0})
    ->Args({1, 1, 0, 0})
    ->Args({1, 1, 1, 0})
    ->Args({1, 2, 0, 0})
    ->Args({2, 2, 0, 0})
    ->Args({3, 1, 0, 0})
    ->Args({3, 1, 1, 0})
    ->Args({1, 1, 0, 1})
    ->Args({1, 1, 1, 1})
    ->Args({3, 1, 0, 1})
    ->Args({3, 1, 1, 1})
    ->ArgNames({"mode", "threads", "detail", "photo"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(FinishingOnly1000)->Unit(benchmark::kMillisecond)->UseRealTime();
