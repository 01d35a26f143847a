// Saving and loading a project with five 1600 x 1600 face pictures: three
// photo-like (smooth shading with sensor noise) and two flat artworks (large
// areas of one colour with a few shapes). Reports the file size against the
// raw 24-bit pixel size.

#include "app/project/PixelCoder.h"
#include "app/project/ProjectFile.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSize = 1600;

std::unique_ptr<CRaster> PhotoLike(unsigned seed)
{
    auto r = std::make_unique<CRaster>(CRaster::Make(kSize, kSize, 24).value());
    std::mt19937 rng(seed);
    for (int y = 0; y < kSize; ++y) {
        std::uint8_t* row = r->GetBits(y);
        for (int x = 0; x < kSize; ++x) {
            const double s = std::sin(x / 97.0 + seed) * std::cos(y / 131.0);
            const int noise = static_cast<int>(rng() % 5) - 2;
            row[x * 3 + 0] = static_cast<std::uint8_t>(std::clamp(100 + 60 * s + noise, 0.0, 255.0));
            row[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp(120 + 50 * std::cos(x / 211.0) + noise, 0.0, 255.0));
            row[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp(140 + 70 * s * s + noise, 0.0, 255.0));
        }
    }
    return r;
}

std::unique_ptr<CRaster> FlatArtwork(unsigned seed)
{
    auto r = std::make_unique<CRaster>(CRaster::Make(kSize, kSize, 24).value());
    for (int y = 0; y < kSize; ++y)
        r->HorizontalLine(0, kSize - 1, y, RGB(20, 40, 160));
    std::mt19937 rng(seed);
    for (int i = 0; i < 12; ++i) {
        const int x0 = static_cast<int>(rng() % kSize), y0 = static_cast<int>(rng() % kSize);
        const int w = 100 + static_cast<int>(rng() % 500), h = 100 + static_cast<int>(rng() % 500);
        const COLORREF c = rng() & 0xFFFFFF;
        for (int y = y0; y < std::min(kSize, y0 + h); ++y)
            r->HorizontalLine(x0, x0 + w, y, c);
    }
    // A disc with a soft edge ring, so some rows are not flat runs.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int dx = x - 800, dy = y - 800, d2 = dx * dx + dy * dy;
            if (d2 < 300 * 300)
                r->SetPixelColor(x, y, d2 > 290 * 290 ? RGB(255, 255, 255) : RGB(250, 200, 0));
        }
    return r;
}

struct Project {
    CUndoStore undo;
    CVtwinDoc doc{nullptr, &undo};
    std::size_t rawBytes = 0;

    Project()
    {
        auto product = CreateProduct("BOX");
        const char* keys[5] = {"F", "L", "R", "U", "D"};
        for (int i = 0; i < 5; ++i) {
            CSide& side = product->GetOrCreateSide(keys[i]);
            side.Reset(0, kSize, kSize, 0);
            side.SetPicture(i % 2 == 0 ? PhotoLike(static_cast<unsigned>(i)) : FlatArtwork(static_cast<unsigned>(i)));
            rawBytes += static_cast<std::size_t>(kSize) * kSize * 3;
        }
        doc.SetProduct(std::move(product));
    }
};

Project& Shared()
{
    static Project project;
    return project;
}

std::string TempPath()
{
    static std::string path = [] {
        char pattern[] = "/tmp/vt_bench_XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        return std::string(dir ? dir : "/tmp") + "/bench.vtp";
    }();
    return path;
}

void BM_EncodeOnePicture(benchmark::State& state)
{
    const bool photo = state.range(0) == 0;
    const auto picture = photo ? PhotoLike(7) : FlatArtwork(7);
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        out.clear();
        CPixelCoder::Encode(picture->GetBits(0), kSize, kSize, static_cast<std::size_t>(picture->GetEffWidth()), out);
        benchmark::DoNotOptimize(out.data());
    }
    const double raw = static_cast<double>(kSize) * kSize * 3;
    state.counters["coded_bytes"] = static_cast<double>(out.size());
    state.counters["coded_to_raw"] = static_cast<double>(out.size()) / raw;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw));
    state.SetLabel(photo ? "photo-like" : "flat artwork");
}
BENCHMARK(BM_EncodeOnePicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DecodeOnePicture(benchmark::State& state)
{
    const bool photo = state.range(0) == 0;
    const auto picture = photo ? PhotoLike(7) : FlatArtwork(7);
    std::vector<std::uint8_t> coded;
    CPixelCoder::Encode(picture->GetBits(0), kSize, kSize, static_cast<std::size_t>(picture->GetEffWidth()), coded);
    CRaster target = CRaster::Make(kSize, kSize, 24).value();
    for (auto _ : state) {
        std::size_t used = 0;
        CPixelCoder::Decode(coded.data(), coded.size(), used, target.GetBits(0), kSize, kSize,
                            static_cast<std::size_t>(target.GetEffWidth()));
        benchmark::DoNotOptimize(target.GetBits(0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize * kSize * 3);
    state.SetLabel(photo ? "photo-like" : "flat artwork");
}
BENCHMARK(BM_DecodeOnePicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state)
{
    Project& p = Shared();
    const std::string path = TempPath();
    for (auto _ : state) {
        if (!p.doc.SaveProject(path))
            state.SkipWithError("save failed");
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    long size = 0;
    if (f) {
        std::fseek(f, 0, SEEK_END);
        size = std::ftell(f);
        std::fclose(f);
    }
    state.counters["file_bytes"] = static_cast<double>(size);
    state.counters["raw_bytes"] = static_cast<double>(p.rawBytes);
    state.counters["file_to_raw"] = static_cast<double>(size) / static_cast<double>(p.rawBytes);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state)
{
    Project& p = Shared();
    const std::string path = TempPath();
    if (!p.doc.SaveProject(path)) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        CUndoStore undo;
        CVtwinDoc doc(nullptr, &undo);
        if (!doc.OpenProject(path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.GetProduct());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.rawBytes));
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

} // namespace
