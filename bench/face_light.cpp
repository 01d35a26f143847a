// The light of a lit face with a highlight band, pixel by pixel, as the
// photograph look applies it to the pixels of uneven blocks: LightRun (the
// light and the lift of each pixel, from its place on the face) and
// LitPixels (each level decoded, lit, lifted and encoded again), over rows
// of 2560 pixels in runs (LightRun: of 256 as Apply takes them, of 64, of 61
// (ending between eights), and of 3 as at the ends of a face's rows), on a
// face in perspective; and Apply to the
// sample sums of single pixels and of 64 gathered, as the pixels the outline
// crosses took and take it.
//
//   build/release/bench/bench_face_light --benchmark_repetitions=3
#include "engine3d/surface/FaceShade.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kRow = 2560, kRun = 64;

struct CLitFace {
    CQuadMapping map;
    CPolygon3D face;
    CLitFace()
    {
        map.cx = 1.1e-4, map.cy = -0.4e-4, map.c0 = 1.0;
        map.ax = 0.2e-5, map.ay = 1.0 / 3000, map.a0 = -0.05;
        map.bx = 1.0 / 2500, map.by = 0.3e-5, map.b0 = -0.1;
        face.linearShade = true;
        face.shade = 0.82, face.shadeU = 0.05, face.shadeV = -0.03, face.specular = 0.04;
        face.highlight = {
            .sheenU = 0.01, .sheenV = 0.02, .peak = 0.6, .at = 0.3, .atU = 2.5, .atV = 0.1, .softness = 1.0};
    }
};

void BM_LightRun(benchmark::State& state)
{
    const CLitFace f;
    const CFaceShade shade(f.face, f.map);
    const int run = static_cast<int>(state.range(0));
    float light[256], lift[256];
    int y = 0;
    for (auto _ : state) {
        for (int x = 0; x + run <= kRow; x += run) {
            shade.LightRun(x, y, run, light, lift);
            benchmark::DoNotOptimize(light);
            benchmark::DoNotOptimize(lift);
        }
        y = (y + 1) % 3000;
    }
    state.SetItemsProcessed(state.iterations() * (kRow - kRow % run));
}
BENCHMARK(BM_LightRun)->ArgName("run")->Arg(256)->Arg(kRun)->Arg(61)->Arg(3);

void BM_LitPixels(benchmark::State& state)
{
    const CLitFace f;
    const CFaceShade shade(f.face, f.map);
    std::vector<float> light(kRow), lift(kRow);
    for (int x = 0; x < kRow; x += kRun) shade.LightRun(x, 10, kRun, &light[x], &lift[x]);
    std::vector<std::uint8_t> picture(3 * kRow), row;
    std::mt19937 rng(1);
    for (std::uint8_t& b : picture) b = static_cast<std::uint8_t>(rng());
    const bool lifted = state.range(0) != 0; // without: as the backdrop's sweep lights its rows
    const int run = static_cast<int>(state.range(1)); // 61: runs that end between 64s
    for (auto _ : state) {
        row = picture;
        for (int x = 0; x + run <= kRow; x += run)
            LitPixels(&row[3 * x], run, &light[x], lifted ? &lift[x] : nullptr);
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * (kRow - kRow % run));
}
BENCHMARK(BM_LitPixels)->ArgNames({"lift", "run"})->Args({1, 64})->Args({0, 64})->Args({1, 61});

void BM_EdgePixels(benchmark::State& state)
{
    const CLitFace f;
    const CFaceShade shade(f.face, f.map);
    std::vector<CPixelSamples> pixels(kRow);
    std::mt19937 rng(2);
    for (CPixelSamples& p : pixels) {
        p.count = 1 + static_cast<int>(rng() % 25);
        for (std::uint32_t& s : p.sum) s = static_cast<std::uint32_t>(rng() % 256) * static_cast<std::uint32_t>(p.count);
    }
    const bool gathered = state.range(0) != 0; // 64 at a time from several rows, as DrawSmoothEdge lights them
    CEdgePixels edges;
    int y = 0;
    for (auto _ : state) {
        for (int x = 0; x < kRow; ++x) {
            CPixelSamples p = pixels[static_cast<std::size_t>(x)];
            if (gathered) {
                if (edges.Add(x, y, p)) edges.Flush(shade, 0, [](int, int, const CPixelSamples& lit) {
                    benchmark::DoNotOptimize(lit);
                });
            } else {
                shade.Apply(p, x, y);
                benchmark::DoNotOptimize(p);
            }
        }
        y = (y + 1) % 3000;
    }
    state.SetItemsProcessed(state.iterations() * kRow);
}
BENCHMARK(BM_EdgePixels)->ArgName("gathered")->Arg(0)->Arg(1);

} // namespace
