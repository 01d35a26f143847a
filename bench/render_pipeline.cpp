// Full renders and finishing-only renders of four catalogue models at 400 x 400
// with every finishing effect on, at magnification 1 and 4, Detail Standard
// and Enhanced. Single-threaded.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "BenchDataFolders.h"
#include "ground/AppFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/setup/Setup.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
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

}  // namespace

BENCHMARK(FullRender)->Apply(Args);
BENCHMARK(FinishingOnly)->Apply(Args);
