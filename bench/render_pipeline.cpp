// Full renders and finishing-only renders of four catalogue models at 400 x 400
// with every finishing effect on, at magnification 1 and 4, Detail Standard
// and Enhanced. Single-threaded. ReduceScratch: the k x k block average of a
// 4000-pixel-wide scratch picture of random pixels into its output rows.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "BenchDataFolders.h"
#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/setup/Setup.h"
#include "properties/settings/SettingTable.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/effects/BackdropSweep.h"
#include "render/output/PictureScaler.h"
#include "render/PixelView.h"
#include "render/RenderPipeline.h"

namespace {

const char* const kModels[] = {"box/VHS Box", "box/Software Box", "bkc/Text Book", "bin/A4 Size Binder"};
const char* const kModelNames[] = {"VHS Box", "Software Box", "Book with CD-ROM", "Spiral Binder"};

const CAppFolders* GetDataFolders() { return GetBenchDataFolders("vt_bench_render_pipeline"); }

std::unique_ptr<CProduct> MakeProduct(int model, int k, int detail)
{
    std::unique_ptr<CProduct> p = MakeBenchProduct(GetDataFolders(), kModels[model], 400, k);
    if (!p) return nullptr;
    SettingStore& s = p->GetSettings();
    for (std::uint32_t id : {kSetBorders, kSetBevel, kSetColorEffect, kSetLensFlare}) s.SetInt(ModelKey(id), 1);
    s.SetInt(ModelKey(kSetBorderSize), 4);
    s.SetInt(ModelKey(kSetBrightness), 110);
    s.SetInt(ModelKey(kSetDetail), detail);
    if (model == 3) s.SetInt(ModelKey(kSetBinderType), 1);  // spiral bound
    return p;
}

void FullRender(benchmark::State& state)
{
    const int model = static_cast<int>(state.range(0));
    auto product = MakeProduct(model, static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    for (auto _ : state) {
        backend.DiscardModel();  // a full render rebuilds the mesh as well
        pipeline.GetCache().Clear();
        pipeline.Render("y", *product);
    }
    state.SetLabel(kModelNames[model]);
}

void FinishingOnly(benchmark::State& state)
{
    const int model = static_cast<int>(state.range(0));
    auto product = MakeProduct(model, static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.Render("y", *product);
    for (auto _ : state) {
        pipeline.GetCache().MarkStale("z");
        pipeline.Render("z", *product);
    }
    state.SetLabel(kModelNames[model]);
}

// Arguments: model index, magnification k, Detail (0 Standard, 1 Enhanced).
void Args(benchmark::internal::Benchmark* b)
{
    for (int model = 0; model < 4; ++model)
        for (int k : {1, 4})
            for (int detail : {0, 1}) b->Args({model, k, detail});
    b->ArgNames({"model", "k", "detail"})->Unit(benchmark::kMillisecond);
}

void ReduceScratch(benchmark::State& state)
{
    const int k = static_cast<int>(state.range(0)), out = 4000 / k;
    CRaster scratch, reduced;
    if (scratch.Create(out * k, 500, 24) == nullptr || reduced.Create(out, 500 / k, 24) == nullptr) {
        state.SkipWithError("no memory");
        return;
    }
    std::mt19937 rng(7);
    for (int y = 0; y < scratch.GetHeight(); ++y)
        for (int x = 0; x < 3 * scratch.GetWidth(); ++x) scratch.GetBits(y)[x] = static_cast<std::uint8_t>(rng());
    for (auto _ : state) ScalePicture(ViewOf(scratch), ViewOf(reduced));
    state.SetItemsProcessed(state.iterations() * scratch.GetWidth() * scratch.GetHeight());
}

// The background of one band of a 4000 x 4000 scratch picture, rows 1500 ..
// 1999: a 1000 x 1000 picture resampled into it (step 0), or the backdrop
// sweep over it (step 1).
void BandBackground(benchmark::State& state)
{
    CRaster picture, band;
    if (picture.Create(1000, 1000, 24) == nullptr || band.Create(4000, 500, 24) == nullptr) {
        state.SkipWithError("no memory");
        return;
    }
    std::mt19937 rng(7);
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < 3 * picture.GetWidth(); ++x) picture.GetBits(y)[x] = static_cast<std::uint8_t>(rng());
    ScalePictureRows(ViewOf(picture), 4000, 1500, ViewOf(band));
    for (auto _ : state) {
        if (state.range(0) == 0)
            ScalePictureRows(ViewOf(picture), 4000, 1500, ViewOf(band));
        else
            ApplyBackdropSweep(ViewOf(band), 1500, 4000, 4000);
    }
    state.SetItemsProcessed(state.iterations() * band.GetWidth() * band.GetHeight());
}

}  // namespace

BENCHMARK(BandBackground)->ArgName("step")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReduceScratch)->ArgName("k")->Arg(2)->Arg(4)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRender)->Apply(Args);
BENCHMARK(FinishingOnly)->Apply(Args);
