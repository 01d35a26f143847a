// Drawing speed of the 3D engine: the default Software Box (202 x 261 x 50)
// into a 1600 x 1600 scratch picture at Detail Standard (25 samples) and
// Enhanced (100 samples), with and without Soften Edges, each with the run
// sampler of plain faces and without it (every face sampled one pixel at a
// time, the reference), and the 16 "Best" shadow copies of the default light.
#include "engine3d/sampling/BilinearRead.h"
#include "engine3d/sampling/FaceRunSampler.h"
#include "engine3d/sampling/FaceSetup.h"
#include "engine3d/sampling/InteriorSampler.h"
#include "engine3d/sampling/SampleAverages.h"
#include "engine3d/surface/BlockMeans.h"
#include "engine3d/surface/ModelRenderer.h"
#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/light/Shadows.h"
#include "image/Raster.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kSize = 1600;

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

struct CSoftwareBox {
    CModelDescription desc;
    std::map<char, std::unique_ptr<CRaster>> faces;
    CTextureSet textures;
    std::unique_ptr<CRaster> scratch, alpha;
    CModelArea area;

    CSoftwareBox(int detail, bool soften, bool shadows, int observerY)
    {
        desc.shape = ModelShape::Solid;
        desc.settings.width = 202;
        desc.settings.height = 261;
        desc.settings.depth = 50;
        desc.settings.detail = detail;
        desc.settings.softenEdges = soften;
        desc.settings.shadows = shadows;
        desc.settings.observerY = observerY;
        // Face pictures at 4 pixels per millimetre, as a render with k = 4 uses them.
        faces['F'] = Picture(808, 1044, 1);
        faces['U'] = Picture(808, 200, 2);
        faces['D'] = Picture(808, 200, 3);
        faces['L'] = Picture(200, 1044, 4);
        faces['R'] = Picture(200, 1044, 5);
        PrepareTextureSet(desc, textures);
        for (auto& [code, pic] : faces) textures.SetPicture(code, pic.get());
        scratch = Picture(kSize, kSize, 6);
        alpha = Picture(kSize, kSize, 7);
        // Model area of a 1600 x 1600 scratch picture with k = 4 and no frame:
        // margin min(40, 160) = 40, inner 1560, offset 20.
        area = CModelArea{1560, 20, 20};
    }
};

void BM_DrawSoftwareBox(benchmark::State& state)
{
    CSoftwareBox box(static_cast<int>(state.range(0)), state.range(1) != 0, false, 0);
    CProductModel model;
    std::string error;
    CFaceRunSampler::SetEnabled(state.range(2) != 0);
    for (auto _ : state) {
        model.Draw(box.desc, true, box.area, box.textures, *box.scratch, *box.alpha, nullptr, &error);
        benchmark::DoNotOptimize(box.scratch->GetBits(0));
    }
    CFaceRunSampler::SetEnabled(true);
}
BENCHMARK(BM_DrawSoftwareBox)
    ->ArgNames({"enhanced", "soften", "runs"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The 16 shadow copies of the default light in "Best" style: each drawn as
// flat fills into the white layer and blended inside its bounding box.
// observerY 0 is the default eye height (the shadows are seen edge-on);
// 50 lifts the eye so that the shadows cover an area.
void BM_BestShadows(benchmark::State& state)
{
    CSoftwareBox box(0, false, true, static_cast<int>(state.range(0)));
    CProductModel model;
    model.Build(box.desc, true);
    const CFitContext fit = model.Fit(box.area);
    auto layer = CRenderSurface::Create(*box.alpha);
    layer->SetFit(fit);
    CShadowBlender blender;
    CModelMesh& mesh = model.GetMesh();
    for (auto _ : state) {
        for (std::size_t i = 1; i < mesh.lists.size(); ++i) {
            box.alpha->ToWhite();
            CBoundingBox bb;
            CDrawOptions opt{false, true, false, 25, false};
            DrawPolygonList(mesh.lists[i], *layer, opt, &box.textures, nullptr, &bb);
            blender.Blend(*box.alpha, *box.scratch, ShadowWeight(3), bb);
        }
        benchmark::DoNotOptimize(box.scratch->GetBits(0));
    }
    state.counters["copies"] = static_cast<double>(mesh.lists.size() - 1);
}
BENCHMARK(BM_BestShadows)->ArgNames({"observerY"})->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond);

// Blending alone: a 4000 x 1000 layer, white with a shadow-coloured band
// over the middle half of each row, onto a picture of random colours, with
// the "Best" weight, a pixel at a time (the reference, rows:0) and as it
// is drawn (rows:1). Counter: layer megapixels per CPU second.
void BM_ShadowBlend(benchmark::State& state)
{
    constexpr int w = 4000, h = 1000;
    CRaster layer, target;
    layer.Create(w, h, 24);
    target.Create(w, h, 24);
    layer.ToWhite();
    std::uint32_t seed = 1;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* l = layer.GetBits(y);
        std::uint8_t* t = target.GetBits(y);
        for (int i = 0; i < 3 * w; ++i) t[i] = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
        for (int i = 3 * (w / 4); i < 3 * (3 * w / 4); ++i) l[i] = 0x80;
    }
    CBoundingBox box;
    box.Add(0, 0);
    box.Add(w - 1, h - 1);
    CShadowBlender blender;
    for (auto _ : state) {
        if (state.range(0) == 0) // the reference, a pixel at a time
            for (int y = 0; y < h; ++y)
                CShadowBlender::BlendRowReference(layer.GetBits(y), target.GetBits(y), w, ShadowWeight(3));
        else
            blender.Blend(layer, target, ShadowWeight(3), box);
        benchmark::DoNotOptimize(target.GetBits(0));
    }
    state.counters["Mpx/s"] = benchmark::Counter(w * h * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ShadowBlend)->ArgName("rows")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

// Storing a row's sample averages: 4000 pixels of 25 samples, either runs of
// 1 to 64 equal pixels (faces of few colours) or every pixel different (a
// photograph), a pixel at a time (the reference, arg 0) and a row at a time.
void BM_StoreAverages(benchmark::State& state)
{
    constexpr int n = 4000;
    std::vector<CPixelSamples> run(n);
    std::mt19937 rng(7);
    for (int i = 0; i < n;) {
        CPixelSamples s;
        for (std::uint32_t& v : s.sum) v = rng() % (25 * 256);
        s.count = 25;
        const int length = state.range(0) == 0 ? 1 + static_cast<int>(rng() % 64) : 1;
        for (int k = 0; k < length && i < n; ++k) run[i++] = s;
    }
    std::vector<std::uint8_t> bgr(3 * n);
    for (auto _ : state) {
        if (state.range(1) == 0)
            StoreAveragesReference(run.data(), n, 1, bgr.data());
        else
            StoreAverages(run.data(), n, 1, bgr.data());
        benchmark::DoNotOptimize(bgr.data());
    }
    state.counters["Mpx/s"] = benchmark::Counter(n * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StoreAverages)->ArgNames({"photo", "rows"})->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1});

// The means of a block row of an inside at magnification K (CInteriorBlocks):
// 4000 pixels of K rows of noise, as photographic faces give, every block
// uneven; the rounded means with the spread, then the truncated means of all.
void BM_BlockMeans(benchmark::State& state)
{
    const int K = static_cast<int>(state.range(0)), width = 4000, count = width / K;
    const std::size_t stride = 3 * static_cast<std::size_t>(width) + 64;
    std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(K));
    std::mt19937 rng(5);
    for (auto& b : pixels) b = static_cast<std::uint8_t>(rng() >> 24);
    std::vector<std::uint8_t> colours(3 * static_cast<std::size_t>(count)), uneven(static_cast<std::size_t>(count));
    const CBlockRows rows{pixels.data(), stride, K, count};
    for (auto _ : state) {
        BlockMeans(rows, 12, colours.data(), uneven.data());
        TruncatedBlockMeans(rows, uneven.data(), colours.data());
        benchmark::DoNotOptimize(colours.data());
    }
    state.counters["Mpx/s"] = benchmark::Counter(K * width * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BlockMeans)->ArgName("K")->Arg(2)->Arg(4)->Arg(3);

// Insides of a smooth face (CInteriorSampler::SampleRun): a noise picture
// seen at a slant in perspective, texel rows crossing the picture rows
// (about two in sixteen pixels at far:0), 1536 x 256 pixels in runs of 64.
// far:0, an 808 x 1044 picture at half a texel a pixel: one read a pixel;
// far:1, three times the size at about 1.5 texels a pixel: four reads a
// pixel half a pixel apart. Eight reads at a time (wide:0) or sixteen where
// the processor has AVX-512 (wide:1).
void BM_InteriorRuns(benchmark::State& state)
{
    const int scale = state.range(1) != 0 ? 3 : 1;
    const auto picture = Picture(808 * scale, 1044 * scale, 8);
    const CTexture t{picture->GetBits(0), 808 * scale, 1044 * scale, picture->GetBits(1) - picture->GetBits(0)};
    CTextureLevels levels;
    if (!levels.Build(t)) state.SkipWithError("no memory");
    // u = B / C and v = 1 - A / C with A, B, C linear in the pixel position.
    const double ax = 0.12 / 1044, ay = 0.5 / 1044, a0 = 0.02, bx = 0.5 / 808, by = 0.12 / 808, b0 = 0.01;
    const double cx = 1e-4, cy = 5e-5, c0 = 1.0;
    CInteriorSampler::SetEnabled(true, state.range(0) != 0);
    CInteriorSampler sampler;
    if (!sampler.Setup(t, &levels, false, ax, bx, cx, ay, by, cy)) state.SkipWithError("no AVX2");
    std::vector<std::uint8_t> bgr(3 * 1536 + CInteriorSampler::kBufferBytes);
    std::uint64_t left = 0;
    for (auto _ : state) {
        for (int y = 600; y < 856; ++y) {
            const double rowA = ay * y + a0, rowB = by * y + b0, rowC = cy * y + c0;
            for (int x = 0; x < 1536; x += CInteriorSampler::kMaxRun)
                left |= sampler.SampleRun(x, CInteriorSampler::kMaxRun, rowA, rowB, rowC, &bgr[3 * x]);
        }
        benchmark::DoNotOptimize(bgr.data());
    }
    CInteriorSampler::SetEnabled(true);
    if (left != 0) state.SkipWithError("pixels left to the caller");
    state.counters["Mpx/s"] = benchmark::Counter(1536 * 256 * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InteriorRuns)->ArgNames({"wide", "far"})->ArgsProduct({{0, 1}, {0, 1}});

// The samples of pixels the outline crosses: each pixel's grid of 9, 25 or
// 100 samples mapped to the face and read bilinearly, as many at a time as
// the processor allows and the rest one by one (CSmoothFace::AllSamples'
// reads), along 256 rows of 512 pixels of a face slightly turned (the grid
// then not lined up with the texels).
void BM_EdgeSamples(benchmark::State& state)
{
    const auto picture = Picture(808, 1044, 9);
    const CTexture t{picture->GetBits(0), 808, 1044, picture->GetBits(1) - picture->GetBits(0)};
    const double ax = -0.1 / 1044, ay = 0.5 / 1044, a0 = 0.4, bx = 0.5 / 808, by = 0.1 / 808, b0 = 0.01;
    const double cx = 1e-4, cy = 5e-5, c0 = 1.0;
    const CSampleGrid& grid = GridFor(static_cast<int>(state.range(0)));
    const int N = grid.count;
    alignas(64) double offA[112] = {}, offB[112] = {}, offC[112] = {}, us[112], vs[112];
    for (int s = 0; s < N; ++s) {
        offA[s] = ax * grid.dx[s] + ay * grid.dy[s];
        offB[s] = bx * grid.dx[s] + by * grid.dy[s];
        offC[s] = cx * grid.dx[s] + cy * grid.dy[s];
    }
    alignas(64) std::uint32_t read[112];
    std::uint32_t sum = 0;
    for (auto _ : state) {
        for (int y = 600; y < 856; ++y) {
            const double rowA = ay * y + a0, rowB = by * y + b0, rowC = cy * y + c0;
            for (int x = 0; x < 512; ++x) {
                CInteriorSampler::MapSamples(ax * x + rowA, bx * x + rowB, cx * x + rowC, offA, offB, offC,
                                             (N + 15) & ~15, us, vs);
                int s = CInteriorSampler::ReadPositions(t, us, vs, N, false, read);
                for (; s < N; ++s) {
                    std::uint32_t c[3];
                    Bilinear(t, us[s], vs[s], c);
                    read[s] = c[0] | c[1] << 8 | c[2] << 16;
                }
                for (s = 0; s < N; ++s) sum += read[s];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["Msamples/s"] =
        benchmark::Counter(512.0 * 256 * N * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EdgeSamples)->ArgName("samples")->Arg(9)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);
