// Drafts while the product is turned with the mouse on the Render tab: the
// default Software Box (rendering 1000 x 1000 at magnification 4) drawn as the
// desktop program draws its drafts (a copy of the product without its working
// pictures, magnification 1, Detail Standard, the picture's shape at the size
// it is shown, a new rotation each time, a full render) on two threads.
// Drafts a second = 1 / the time of one iteration; the drag needs 15 or more.
#include <benchmark/benchmark.h>

#include <algorithm>
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
#include "catalogue/product/Side.h"
#include "properties/settings/SettingTable.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"

namespace {

const CAppFolders* GetDataFolders() { return GetBenchDataFolders("vt_bench_drag_drafts"); }

std::unique_ptr<CProduct> MakeSoftwareBox()
{
    return MakeBenchProduct(GetDataFolders(), "box/Software Box", 1000, 4);
}

// Argument: the side of the square the picture is shown in (window pixels).
void TurnDraft(benchmark::State& state)
{
    const std::unique_ptr<CProduct> product = MakeSoftwareBox();
    if (!product) {
        state.SkipWithError("model could not be built");
        return;
    }
    const int shown = static_cast<int>(state.range(0));
    int angle = -30;
    for (auto _ : state) {
        // The copy the draft is made from (the working pictures are made anew).
        std::unique_ptr<CProduct> copy = CreateProduct(product->GetKindCode());
        copy->GetSettings() = product->GetSettings();
        copy->RemoveAllSides();
        for (std::size_t i = 0; i < product->GetSideCount(); ++i) {
            const std::string& key = product->GetSideKey(i);
            if (key != "a" && key != "x" && key != "y" && key != "z")
                copy->AddSide(key, product->GetSide(i).Clone());
        }
        SettingStore& s = copy->GetSettings();
        s.SetInt(ModelKey(kSetRenderWidth), std::min(1000, shown));
        s.SetInt(ModelKey(kSetRenderHeight), std::min(1000, shown));
        s.SetInt(ModelKey(kSetMagnification), 1);
        s.SetInt(ModelKey(kSetDetail), 0);
        angle = angle >= 30 ? -30 : angle + 1;
        s.SetInt(ModelKey(kSetYRotation), angle);
        CEngineBackend backend;
        CRenderPipeline pipeline;
        pipeline.SetBackend(&backend);
        pipeline.SetThreads(2);
        if (!pipeline.Render("z", *copy)) state.SkipWithError("render failed");
        benchmark::DoNotOptimize(copy->FindSidePtr("z"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TurnDraft)->Arg(400)->Arg(600)->Arg(800)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
