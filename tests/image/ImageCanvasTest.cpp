#include "CodecTestUtil.h"
#include "image/ImageCanvas.h"
#include "image/Raster.h"

#include <functional>

namespace {

constexpr COLORREF kInk = RGB(10, 200, 30);

using PixelSet = std::set<std::pair<int, int>>;

CRaster Blank(int w, int h)
{
    CRaster image = CRaster::Make(w, h, 24).value();
    image.Clear(0);
    return image;
}

PixelSet Inked(const CRaster& image)
{
    PixelSet out;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (RGBQUADtoRGB(image.GetPixelColor(x, y)) == kInk) out.insert({x, y});
    return out;
}

PixelSet Where(int w, int h, const std::function<bool(int, int)>& inside)
{
    PixelSet out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inside(x, y)) out.insert({x, y});
    return out;
}

// The eight-fold images of first-octant points around (cx, cy).
PixelSet Octants(int cx, int cy, std::initializer_list<std::pair<int, int>> points)
{
    PixelSet out;
    for (auto [x, y] : points)
        for (auto [a, b] : {std::pair{x, y}, {y, x}})
            for (int sx : {-1, 1})
                for (int sy : {-1, 1}) out.insert({cx + sx * a, cy + sy * b});
    return out;
}

} // namespace

TEST(CanvasSpans, PixelAndColourReferenceOrder)
{
    CRaster image = Blank(4, 4);
    CImageCanvas canvas(&image);
    EXPECT_EQ(std::pair(canvas.GetMaxX(), canvas.GetMaxY()), std::pair(3, 3));
    canvas.SetPixel(RGB(1, 2, 3), 2, 1);
    EXPECT_EQ(canvas.GetPixel(2, 1), 0x030201u); // red | green << 8 | blue << 16
    canvas.SetPixel(RGBQUAD{7, 8, 9, 0}, 0, 0);
    EXPECT_EQ(canvas.GetPixel(0, 0), RGB(9, 8, 7));
    canvas.Clear(kInk);
    EXPECT_EQ(Inked(image).size(), 16u);
}

TEST(CanvasSpans, HorizontalAndVerticalLinesClipPerPixel)
{
    const int w = 8, h = 6;
    {
        CRaster image = Blank(w, h);
        CImageCanvas canvas(&image);
        canvas.HorizontalLine(kInk, 9, -4, 2); // unordered ends, both clipped
        EXPECT_EQ(Inked(image), Where(w, h, [](int, int y) { return y == 2; }));
    }
    struct {
        int x, y1, y2;
        int from, to; // expected rows, from > to for none
    } cases[] = {
        {3, 1, 4, 1, 4},   {3, -10, 2, 0, 2}, {3, 4, 99, 4, h - 1}, {3, -5, -1, 1, 0},
        {3, h, h + 3, 1, 0}, {-1, 0, 5, 1, 0}, {w, 0, 5, 1, 0},      {3, 4, 1, 1, 0}, // y1 > y2 draws nothing
        {0, 2, 2, 2, 2},
    };
    for (const auto& c : cases) {
        CRaster image = Blank(w, h);
        CImageCanvas canvas(&image);
        canvas.VerticalLine(kInk, c.x, c.y1, c.y2);
        EXPECT_EQ(Inked(image), Where(w, h, [&](int x, int y) { return x == c.x && y >= c.from && y <= c.to; }))
            << c.x << " " << c.y1 << ".." << c.y2;
    }
}

TEST(CanvasLines, BresenhamStaysWithinHalfAPixelOfTheIdealLine)
{
    const unsigned seed = 7321;
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        int x1 = rng() % 40, y1 = rng() % 40, x2 = rng() % 40, y2 = rng() % 40;
        if (round == 0)
            std::tie(x2, y2) = std::pair(x1, y1); // a line of one point is one pixel
        CRaster image = Blank(40, 40);
        CImageCanvas canvas(&image);
        canvas.Line(kInk, x1, y1, x2, y2);
        const PixelSet got = Inked(image);
        const int dx = x2 - x1, dy = y2 - y1;
        const int steps = std::max(std::abs(dx), std::abs(dy));
        ASSERT_EQ(got.size(), static_cast<std::size_t>(steps + 1)) << "seed " << seed << " line " << x1 << "," << y1 << " " << x2 << "," << y2;
        EXPECT_TRUE(got.count({x1, y1}) && got.count({x2, y2}));
        for (auto [x, y] : got) {
            // Distance along the minor axis from the ideal line.
            double off = 0;
            if (std::abs(dx) >= std::abs(dy)) off = std::abs(y1 + double(x - x1) * dy / (dx == 0 ? 1 : dx) - y);
            else off = std::abs(x1 + double(y - y1) * dx / dy - x);
            ASSERT_LE(off, 0.5 + 1e-9) << "pixel " << x << "," << y;
        }
    }
}

// Lines along an axis either way and lines wholly off the picture are among the seeded random lines.
TEST(CanvasLines, ClippedLinesMatchTheSameLineOnALargerPicture)
{
    const unsigned seed = 99;
    std::mt19937 rng(seed);
    const int w = 20, h = 15, margin = 30;
    for (int round = 0; round < 200; ++round) {
        const int x1 = int(rng() % 80) - margin, y1 = int(rng() % 75) - margin;
        const int x2 = int(rng() % 80) - margin, y2 = int(rng() % 75) - margin;
        CRaster big = Blank(w + 2 * margin, h + 2 * margin);
        CImageCanvas(&big).Line(kInk, x1 + margin, y1 + margin, x2 + margin, y2 + margin);
        PixelSet expected;
        for (auto [x, y] : Inked(big))
            if (x - margin >= 0 && x - margin < w && y - margin >= 0 && y - margin < h) expected.insert({x - margin, y - margin});
        CRaster small = Blank(w, h);
        CImageCanvas(&small).Line(kInk, x1, y1, x2, y2);
        ASSERT_EQ(Inked(small), expected) << "seed " << seed << " line " << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST(CanvasShapes, FramesAndFilledRectangles)
{
    const int w = 14, h = 12;
    for (int t : {1, 2, 3, 9}) {
        CRaster image = Blank(w, h);
        CImageCanvas canvas(&image);
        canvas.Frame(kInk, 11, 9, 2, 1, t); // corners in any order
        EXPECT_EQ(Inked(image), Where(w, h, [&](int x, int y) {
                      const bool in = x >= 2 && x <= 11 && y >= 1 && y <= 9;
                      return in && (x < 2 + t || x > 11 - t || y < 1 + t || y > 9 - t);
                  }))
            << "thickness " << t;
    }
    CRaster none = Blank(w, h);
    CImageCanvas(&none).Frame(kInk, 1, 1, 5, 5, 0);
    EXPECT_TRUE(Inked(none).empty());

    CRaster image = Blank(w, h);
    CImageCanvas(&image).FilledRectangle(kInk, 20, -3, 5, 4);
    EXPECT_EQ(Inked(image), Where(w, h, [](int x, int y) { return x >= 5 && y <= 4; }));
}

TEST(CanvasShapes, MidpointCircleGoldenPixels)
{
    // r = 3: d = -3 -> (0,3); d = 3 -> (1,3); y -> 2, x -> 2 = y -> (2,2).
    CRaster image = Blank(20, 20);
    CImageCanvas canvas(&image);
    canvas.Circle(kInk, 10, 9, 3);
    EXPECT_EQ(Inked(image), Octants(10, 9, {{0, 3}, {1, 3}, {2, 2}}));
    CRaster dot = Blank(5, 5);
    CImageCanvas(&dot).Circle(kInk, 2, 2, 0);
    EXPECT_EQ(Inked(dot), (PixelSet{{2, 2}}));

    // Filled r = 3: rows +-3 span x = -1..1, rows +-2 span -2..2, rows 0 and +-1 span -3..3.
    CRaster filled = Blank(20, 20);
    CImageCanvas(&filled).FilledCircle(kInk, 10, 9, 3);
    const int half[7] = {1, 2, 3, 3, 3, 2, 1};
    EXPECT_EQ(Inked(filled), Where(20, 20, [&](int x, int y) {
                  const int dy = y - 9;
                  return dy >= -3 && dy <= 3 && std::abs(x - 10) <= half[dy + 3];
              }));

    // Every outline pixel of a large circle lies within a pixel of the radius,
    // and a circle cut by the picture edge keeps its inside pixels.
    CRaster big = Blank(100, 100);
    CImageCanvas(&big).Circle(kInk, 50, 50, 37);
    for (auto [x, y] : Inked(big)) EXPECT_LT(std::abs(std::hypot(x - 50, y - 50) - 37), 1.0);
    CRaster cut = Blank(60, 60);
    CImageCanvas(&cut).Circle(kInk, 10, 10, 37);
    PixelSet expected;
    for (auto [x, y] : Inked(big))
        if (x - 40 >= 0 && y - 40 >= 0 && x - 40 < 60 && y - 40 < 60) expected.insert({x - 40, y - 40});
    EXPECT_EQ(Inked(cut), expected);
}

TEST(CanvasShapes, MidpointEllipseFollowsTheRoundedCurve)
{
    // First-quadrant pixels: for a = 4, b = 2 each x has y = round(2 sqrt(1 - x^2/16)):
    // (0,2) (1,2) (2,2) (3,1) (4,0); for a = 2, b = 4 the transposed curve.
    struct {
        int a, b;
        std::initializer_list<std::pair<int, int>> quadrant;
    } cases[] = {{4, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 1}, {4, 0}}}, {2, 4, {{0, 4}, {1, 3}, {2, 2}, {2, 1}, {2, 0}}}};
    for (const auto& c : cases) {
        CRaster image = Blank(20, 20);
        CImageCanvas(&image).Ellipse(kInk, 9, 8, c.a, c.b);
        PixelSet expected;
        for (auto [x, y] : c.quadrant)
            for (int sx : {-1, 1})
                for (int sy : {-1, 1}) expected.insert({9 + sx * x, 8 + sy * y});
        EXPECT_EQ(Inked(image), expected) << c.a << "x" << c.b;

        CRaster filled = Blank(20, 20);
        CImageCanvas(&filled).FilledEllipse(kInk, 9, 8, c.a, c.b);
        // Each row is filled out to the widest outline pixel on it.
        EXPECT_EQ(Inked(filled), Where(20, 20, [&](int x, int y) {
                      int widest = -1;
                      for (auto [qx, qy] : c.quadrant)
                          if (qy == std::abs(y - 8)) widest = std::max(widest, qx);
                      return std::abs(x - 9) <= widest;
                  }));
    }
    // A wide ellipse: every outline pixel is close to the curve, extremes included.
    CRaster big = Blank(120, 60);
    CImageCanvas(&big).Ellipse(kInk, 60, 30, 50, 20);
    const PixelSet got = Inked(big);
    EXPECT_TRUE(got.count({10, 30}) && got.count({110, 30}) && got.count({60, 10}) && got.count({60, 50}));
    for (auto [x, y] : got) {
        const double r = std::hypot((x - 60) / 50.0, (y - 30) / 20.0);
        EXPECT_NEAR(r, 1.0, 0.06) << x << "," << y;
    }
}

TEST(CanvasShapes, FilledRoundedRectangle)
{
    const int w = 30, h = 20;
    CRaster square = Blank(w, h);
    CImageCanvas(&square).FilledRoundedRectangle(kInk, 3, 2, 20, 15, 0);
    EXPECT_EQ(Inked(square), Where(w, h, [](int x, int y) { return x >= 3 && x <= 20 && y >= 2 && y <= 15; }));

    CRaster image = Blank(w, h);
    CImageCanvas(&image).FilledRoundedRectangle(kInk, 20, 15, 3, 2, 4);
    const PixelSet got = Inked(image);
    // Corner pixels are cut away, the middle band is full, and the shape is
    // symmetric. The radius-4 midpoint circle has (0,4) and (1,4) on its top
    // row (d = -5 < 0 keeps y), so the top and bottom rows reach one pixel
    // beyond the corner centres 7 and 16.
    EXPECT_FALSE(got.count({3, 2}) || got.count({20, 2}) || got.count({3, 15}) || got.count({20, 15}));
    for (int y = 6; y <= 11; ++y)
        for (int x = 3; x <= 20; ++x) EXPECT_TRUE(got.count({x, y})) << x << "," << y;
    for (int x = 3; x <= 20; ++x) {
        EXPECT_EQ(got.count({x, 15}) == 1, x >= 6 && x <= 17) << x;
        EXPECT_EQ(got.count({x, 2}) == 1, x >= 6 && x <= 17) << x;
    }
    for (auto [x, y] : got) {
        EXPECT_TRUE(got.count({23 - x, y}) && got.count({x, 17 - y})) << x << "," << y;
        EXPECT_TRUE(x >= 3 && x <= 20 && y >= 2 && y <= 15);
    }
}

TEST(CanvasPolygon, SpanTableRecordsAndClampsEdges)
{
    CRaster image = Blank(12, 10);
    CImageCanvas canvas(&image);
    EXPECT_FALSE(canvas.BeginPolygon(12, CImageCanvas::kMaxPolygonRows + 1));
    ASSERT_TRUE(canvas.BeginPolygon(12, 10));
    int lo = 0, hi = 0;
    EXPECT_FALSE(canvas.GetSpan(0, lo, hi));
    EXPECT_EQ(std::pair(canvas.GetPolygonMinX(), canvas.GetPolygonMaxY()), std::pair(9999999, -9999999));
    // Triangle (0,0) (8,0) (0,8): row y spans 0 .. 8 - y.
    const int xs[3] = {0, 8, 0};
    const int ys[3] = {0, 0, 8};
    canvas.AddPolygon(xs, ys, 3);
    for (int y = 0; y <= 8; ++y) {
        ASSERT_TRUE(canvas.GetSpan(y, lo, hi)) << y;
        EXPECT_TRUE(lo == 0 && hi == 8 - y) << y;
    }
    EXPECT_FALSE(canvas.GetSpan(9, lo, hi));
    EXPECT_EQ(std::pair(canvas.GetPolygonMaxX(), canvas.GetPolygonMaxY()), std::pair(8, 8));
    canvas.FillPolygon(kInk);
    EXPECT_EQ(Inked(image), Where(12, 10, [](int x, int y) { return x + y <= 8; }));

    // Edges outside the picture: x clamped to 0 .. width, rows outside ignored.
    ASSERT_TRUE(canvas.BeginPolygon(12, 10));
    canvas.AddPolygonEdge(-5, -3, -5, 20);
    canvas.AddPolygonEdge(40, -3, 40, 20);
    for (int y = 0; y < 10; ++y) {
        ASSERT_TRUE(canvas.GetSpan(y, lo, hi));
        EXPECT_TRUE(lo == 0 && hi == 12) << y;
    }
    canvas.FillPolygon(kInk);
    EXPECT_EQ(Inked(image).size(), 120u);
}
