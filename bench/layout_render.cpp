// Draw objects burnt into a face picture: the cost per kind on a 1600 x 1600
// face, with the content bitmap rebuilt every time (first render after an
// edit) and reused (later renders).
#include "image/Raster.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "layout/text/FontEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kFace = 1600;

CRaster MakeFace()
{
    CRaster face = CRaster::Make(kFace, kFace, 24).value();
    face.ToWhite();
    return face;
}

std::unique_ptr<CDrawText> MakeText(int size)
{
    auto text = std::make_unique<CDrawText>();
    text->SetText("The Quick Brown Fox Jumps");
    text->SetSize(static_cast<std::uint32_t>(size));
    text->SetAppearance(kTextBordered);
    text->SetCoords(50, 1500, 50, 1500);
    text->FitToText();
    return text;
}

// Size, rebuild the content each time, smooth.
void BM_TextRender(benchmark::State& state)
{
    CRaster face = MakeFace();
    auto text = MakeText(static_cast<int>(state.range(0)));
    text->SetSmooth(state.range(2) != 0);
    const bool rebuild = state.range(1) != 0;
    for (auto _ : state) {
        if (rebuild)
            text->InvalidateCache();
        text->RenderToFace(face);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TextRender)
    ->Args({24, 1, 0})
    ->Args({120, 1, 0})
    ->Args({120, 0, 0})
    ->Args({24, 1, 1})
    ->Args({120, 1, 1})
    ->Unit(benchmark::kMicrosecond);

// What a drag of a text's top handle asks each time the mouse moves: the
// width for a new height, with the ink box (1) or the cell box (0).
void BM_TextWidthForHeight(benchmark::State& state)
{
    auto text = MakeText(48);
    text->SetItalic(true);
    text->SetFitsInk(state.range(0) != 0);
    int height = 40;
    for (auto _ : state) {
        benchmark::DoNotOptimize(text->GetWidthForHeight(height));
        height = height == 120 ? 40 : height + 1;
    }
}
BENCHMARK(BM_TextWidthForHeight)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TextMeasure(benchmark::State& state)
{
    CFontRequest font;
    font.height = 48;
    int w = 0, h = 0;
    for (auto _ : state) {
        CFontEngine::Get().MeasureText(font, "The Quick Brown Fox Jumps Over The Lazy Dog", w, h);
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_TextMeasure)->Unit(benchmark::kMicrosecond);

void BM_BarcodeRender(benchmark::State& state)
{
    CRaster face = MakeFace();
    CDrawBarcode barcode;
    barcode.SetData("VANTOREL-2010");
    barcode.SetCoords(100, 400, 1500, 100);
    for (auto _ : state) {
        barcode.InvalidateCache();
        barcode.RenderToFace(face);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BarcodeRender)->Unit(benchmark::kMicrosecond);

void BM_PictureRender(benchmark::State& state)
{
    CRaster face = MakeFace();
    auto image = std::make_shared<CRaster>(CRaster::Make(800, 600, 24).value());
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            image->SetPixelColor(x, y, COLORREF(RGB(x & 255, y & 255, (x ^ y) & 255)));
    auto picture = CDrawPicture::CreateFromImage(image, 0, kFace - 1);
    picture->SetCoords(0, kFace - 1, kFace, 0);  // stretched over the whole face
    picture->SetTransparent(state.range(0) != 0);
    for (auto _ : state) {
        picture->InvalidateCache();
        picture->RenderToFace(face);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PictureRender)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShapesRender(benchmark::State& state)
{
    CRaster face = MakeFace();
    CDrawObjectList list;
    for (int i = 0; i < 20; ++i) {
        auto rect = std::make_unique<CDrawRect>();
        rect->SetCoords(i * 70, 1500 - i * 60, i * 70 + 300, 1200 - i * 60);
        rect->SetStyle(kStyleOutlinedFilled);
        list.Add(std::move(rect));
        auto ellipse = std::make_unique<CDrawEllipse>();
        ellipse->SetCoords(i * 60, 800, i * 60 + 400, 400);
        ellipse->SetStyle(kStyleOutlinedFilled);
        list.Add(std::move(ellipse));
        auto star = std::make_unique<CDrawPolygon>();
        std::vector<CDrawPoint> points;
        for (int k = 0; k < 10; ++k) {
            const double a = k * 3.14159265 / 5, r = k % 2 ? 120 : 300;
            points.push_back({800 + static_cast<int>(r * std::cos(a)) + i * 10, 800 + static_cast<int>(r * std::sin(a))});
        }
        star->SetPoints(points);
        star->SetStyle(kStyleOutlinedFilled);
        list.Add(std::move(star));
    }
    for (auto _ : state) {
        list.RenderToFace(face);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShapesRender)->Unit(benchmark::kMillisecond);

}  // namespace
