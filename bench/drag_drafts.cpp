// Drafts while the product is turned with the mouse on the Render tab: the
// default Software Box (rendering 1000 x 1000 at magnification 4) drawn as the
// desktop program draws its drafts: one copy of the product without its
// working pictures per drag, then for each draft magnification 1 (2 for the
// refined draft while the mouse rests), Detail Standard, the picture's shape
// at the size it is shown (at most 800 x 600), a new rotation, a full render
// on two threads. Drafts a second = 1 / the time of one iteration; the drag
// needs 30 or more. The CPU column is the whole process's: on two quiet cores
// a draft takes about half of it.
//
// Arguments of TurnDraft: the width shown (the height is 3/4 of it), the magnification,
// and whether the drafts of the drag keep their texture levels and burnt
// faces (1, as the desktop does) or make them anew (0, as before).
// FinalAfterRelease: the copy of the document and the full rendering that
// follow the release of the mouse.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "BenchDataFolders.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

namespace {

const CAppFolders* GetDataFolders() { return GetBenchDataFolders("vt_bench_drag_drafts"); }

std::unique_ptr<CProduct> MakeSoftwareBox()
{
    return MakeBenchProduct(GetDataFolders(), "box/Software Box", 1000, 4);
}

// The copy a render job draws from: every side but the working pictures.
std::unique_ptr<CProduct> CopyForRender(const CProduct& product)
{
    std::unique_ptr<CProduct> copy = CreateProduct(product.GetKindCode());
    copy->GetSettings() = product.GetSettings();
    copy->RemoveAllSides();
    for (std::size_t i = 0; i < product.GetSideCount(); ++i)
        if (!IsWorkingSide(product.GetSideKey(i)))
            copy->AddSide(product.GetSideKey(i), product.GetSide(i).Clone());
    return copy;
}

void TurnDraft(benchmark::State& state)
{
    const std::unique_ptr<CProduct> product = MakeSoftwareBox();
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    const int shown = static_cast<int>(state.range(0));
    const bool kept = state.range(2) != 0;
    std::unique_ptr<CProduct> copy = CopyForRender(*product);
    SettingStore& s = copy->GetSettings();
    s.SetInt(ModelKey(kSetRenderWidth), shown);
    s.SetInt(ModelKey(kSetRenderHeight), shown * 3 / 4);
    s.SetInt(ModelKey(kSetMagnification), static_cast<int>(state.range(1)));
    s.SetInt(ModelKey(kSetDetail), 0);
    CEngineBackend dragBackend;
    dragBackend.SetFacesUnchanged(true);
    std::map<char, CRaster> dragFaces;
    int angle = -30;
    for (auto _ : state) {
        angle = angle >= 30 ? -30 : angle + 1;
        s.SetInt(ModelKey(kSetYRotation), angle);
        CEngineBackend ownBackend;
        CRenderPipeline pipeline;
        pipeline.SetBackend(kept ? &dragBackend : &ownBackend);
        if (kept) pipeline.SetKeptFaces(&dragFaces);
        pipeline.SetKeepUnfinished(!kept);
        pipeline.SetThreads(2);
        if (!pipeline.Render("z", *copy)) state.SkipWithError("render failed");
        benchmark::DoNotOptimize(copy->FindSidePtr("z"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TurnDraft)
    ->ArgNames({"shown", "k", "kept"})
    ->Args({400, 1, 0})
    ->Args({800, 1, 0})
    ->Args({800, 1, 1})
    ->Args({800, 2, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void FinalAfterRelease(benchmark::State& state)
{
    const std::unique_ptr<CProduct> product = MakeSoftwareBox();
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    for (auto _ : state) {
        std::unique_ptr<CProduct> copy = CopyForRender(*product);
        CEngineBackend backend;
        CRenderPipeline pipeline;
        pipeline.SetBackend(&backend);
        pipeline.SetThreads(2);
        if (!pipeline.Render("y", *copy)) state.SkipWithError("render failed");
        benchmark::DoNotOptimize(copy->FindSidePtr("z"));
    }
}
BENCHMARK(FinalAfterRelease)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace
