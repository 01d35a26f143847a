// Cost of the studio look of new projects (studio lighting in linear light,
// the studio shadow with its contact shadow, the backdrop sweep, framing,
// smooth sampling) against the plain path of projects saved before the looks
// (unlit faces, nearest texels, "Best" shadows of fixed spread, a level eye,
// the fixed square fit): the Software Box at 1000 x 1000, magnification 2 and
// 4, full renders through the pipeline on the machine's threads. Target: the
// studio look at most 1.5 times the plain path's time.
//
// The CPU column is the process's time on all threads, which a busy machine
// disturbs less than the wall time.
//
//   build/release/bench/bench_studio_look --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchDataFolders.h"
#include "catalogue/Catalogue.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

namespace {

std::unique_ptr<CProduct> MakeProduct(bool studio, int k)
{
    std::unique_ptr<CProduct> p =
        MakeBenchProduct(GetBenchDataFolders("vt_bench_studio_look"), "box/Software Box", 1000, k);
    if (!p) return nullptr;
    SettingStore& s = p->GetSettings();
    if (!studio) {
        // A project saved before the looks reads 0 for each of them.
        for (std::uint32_t id : {kSetShading, kSetTextureFiltering, kSetLens, kSetElevation, kSetShadowSoftness,
                                 kSetFraming, kSetLighting, kSetBackdrop, kSetEdgeRadius, kSetCoarseEdges})
            s.SetInt(ModelKey(id), 0);
        s.SetInt(ModelKey(kSetShadowStyle), 3);
    }
    return p;
}

void FullRender(benchmark::State& state)
{
    const bool studio = state.range(0) != 0;
    auto product = MakeProduct(studio, static_cast<int>(state.range(1)));
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    for (auto _ : state) {
        backend.DiscardModel();
        pipeline.GetCache().Clear();
        pipeline.Render("y", *product);
    }
    state.SetLabel(studio ? "studio look" : "plain path");
}

}  // namespace

BENCHMARK(FullRender)
    ->ArgNames({"studio", "k"})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({0, 4})
    ->Args({1, 4})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
