// Speed of the renderer's inner pixel loops and of the picture codecs on a
// 1600 x 1600 24-bit picture (the usual size of a finished render).

#include "image/ByteStream.h"
#include "image/Raster.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kSize = 1600;

// A picture with smooth gradients and some noise, like a rendered product.
CRaster MakePicture()
{
    CRaster image = CRaster::Make(kSize, kSize, 24).value();
    std::mt19937 rng(1);
    for (int y = 0; y < kSize; ++y) {
        std::uint8_t* p = image.GetBits(y);
        for (int x = 0; x < kSize; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(x / 7 + (rng() & 7));
            p[1] = static_cast<std::uint8_t>(y / 7 + (rng() & 7));
            p[2] = static_cast<std::uint8_t>((x + y) / 13);
        }
    }
    return image;
}

const CRaster& Picture()
{
    static const CRaster picture = MakePicture();
    return picture;
}

void BM_FastAlpha(benchmark::State& state)
{
    const CRaster& source = Picture();
    CRaster dest = CRaster::Make(kSize, kSize, 24).value();
    dest.Clear(90);
    for (auto _ : state) {
        source.FastAlpha(dest, 128, 0, kSize - 1, 0, kSize - 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}
BENCHMARK(BM_FastAlpha)->Unit(benchmark::kMillisecond);

void BM_HorizontalLine(benchmark::State& state)
{
    CRaster image = CRaster::Make(kSize, kSize, 24).value();
    const int length = static_cast<int>(state.range(0));
    int y = 0;
    for (auto _ : state) {
        image.HorizontalLine(-3, length - 4, y, RGB(200, 100, 50));
        y = (y + 1) % kSize;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * length);
}
BENCHMARK(BM_HorizontalLine)->Arg(16)->Arg(kSize);

void BM_Save(benchmark::State& state)
{
    CRaster image(Picture());
    const int type = static_cast<int>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        CMemoryStream out;
        if (!image.Encode(out, type)) {
            state.SkipWithError(image.GetLastError());
            return;
        }
        bytes = static_cast<std::size_t>(out.Size());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Save)->ArgName("bmp1_jpeg2_png3")->Arg(IMAGE_TYPE_BMP)->Arg(IMAGE_TYPE_JPEG)->Arg(IMAGE_TYPE_PNG)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state)
{
    CRaster image(Picture());
    const int type = static_cast<int>(state.range(0));
    CMemoryStream file;
    if (!image.Encode(file, type)) {
        state.SkipWithError(image.GetLastError());
        return;
    }
    for (auto _ : state) {
        CRaster back;
        if (!back.Decode(file.GetBuffer(), static_cast<std::size_t>(file.Size()), type)) {
            state.SkipWithError(back.GetLastError());
            return;
        }
        benchmark::DoNotOptimize(back.GetBits(0));
    }
}
BENCHMARK(BM_Load)->ArgName("bmp1_jpeg2_png3")->Arg(IMAGE_TYPE_BMP)->Arg(IMAGE_TYPE_JPEG)->Arg(IMAGE_TYPE_PNG)->Unit(benchmark::kMillisecond);

} // namespace
