// Cost of the photograph look: lit faces and smooth sampling against the
// plain path (unlit, nearest texel) for a 1000 x 1000 rendering at
// magnification 4, that is a 4000 x 4000 scratch picture, with the Software
// Box (202 x 261 x 50) seen as a new project sees it (turned 30 degrees, 20
// degrees from above, 100 mm lens), Soften Edges on, no shadows (they do not
// change between the two). Target: the look at most 30% slower than plain.
//
//   build/release/bench/bench_photograph_look --benchmark_repetitions=3
#include "engine3d/surface/ModelRenderer.h"
#include "image/Raster.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kScratch = 4000;

std::unique_ptr<CRaster> Picture(int w, int h, unsigned seed)
{
    auto r = std::make_unique<CRaster>();
    r->Create(w, h, 24);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = r->GetBits(y);
        for (int x = 0; x < 3 * w; ++x) p[x] = static_cast<std::uint8_t>(rng() >> 24);
    }
    return r;
}

void BM_PhotographLook(benchmark::State& state)
{
    const bool look = state.range(0) != 0;
    const int detail = static_cast<int>(state.range(1));
    CModelDescription desc;
    desc.shape = ModelShape::Solid;
    desc.settings.width = 202;
    desc.settings.height = 261;
    desc.settings.depth = 50;
    desc.settings.xRotation = 0;
    desc.settings.yRotation = 30;
    desc.settings.zRotation = 0;
    desc.settings.elevation = 20;
    desc.settings.lens = 100;
    desc.settings.shadows = false;
    desc.settings.softenEdges = true;
    desc.settings.detail = detail;
    desc.settings.shading = look ? 50 : 0;
    desc.settings.smoothTextures = look;
    // Face pictures at 4 pixels per millimetre, as with magnification 4.
    std::map<char, std::unique_ptr<CRaster>> faces;
    faces['F'] = Picture(808, 1044, 1);
    faces['U'] = Picture(808, 200, 2);
    faces['D'] = Picture(808, 200, 3);
    faces['L'] = Picture(200, 1044, 4);
    faces['R'] = Picture(200, 1044, 5);
    CTextureSet textures;
    PrepareTextureSet(desc, textures);
    for (auto& [code, pic] : faces) textures.SetPicture(code, pic.get());
    auto scratch = Picture(kScratch, kScratch, 6);
    auto alpha = Picture(kScratch, kScratch, 7);
    const CModelArea area{3900, 50, 50};
    CProductModel model;
    std::string error;
    for (auto _ : state) {
        model.Draw(desc, true, area, textures, *scratch, *alpha, nullptr, &error);
        benchmark::DoNotOptimize(scratch->GetBits(0));
    }
}
BENCHMARK(BM_PhotographLook)
    ->ArgNames({"look", "enhanced"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
