// Screen painting through the painter interface; the content number a screen
// copy of an object's content is keyed on (it changes whenever the content may
// have changed and stays put otherwise); the polygon scan fill against a plain
// point-in-polygon reference on seeded random polygons.
#include "FaceTestUtil.h"

#include "image/Raster.h"
#include "layout/face/ContentBitmap.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/shapes/DrawPoly.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "layout/face/LayoutPainter.h"

#include <sstream>

namespace {

// Records every call as a line of text.
class CRecordingPainter final : public CLayoutPainter {
public:
    explicit CRecordingPainter(int zoom) : m_zoom(zoom) {}
    int GetZoom() const override { return m_zoom; }
    CDrawPoint FaceToWindow(CDrawPoint p) const override { return {p.x * 2, 100 - p.y * 2}; }
    int GetFaceWidth() const override { return 50; }
    int GetFaceHeight() const override { return 50; }
    void FillRect(int l, int t, int r, int b, COLORREF c) override { Log("fill", l, t, r, b, c, 0); }
    void Line(int x1, int y1, int x2, int y2, COLORREF c, int w) override { Log("line", x1, y1, x2, y2, c, w); }
    void Ellipse(int l, int t, int r, int b, const COLORREF* fill, const COLORREF* pen, int w) override
    {
        Log(fill ? "ellipse-filled" : "ellipse", l, t, r, b, pen ? *pen : 0xFFFFFFFFu, w);
    }
    void Polygon(const std::vector<CDrawPoint>& pts, bool closed, const COLORREF* fill, const COLORREF* pen,
                 int w) override
    {
        std::ostringstream s;
        s << (closed ? "polygon" : "polyline") << (fill ? "-filled" : "") << (pen ? "-outlined" : "") << " n"
          << pts.size() << " first " << pts[0].x << "," << pts[0].y << " w" << w;
        calls.push_back(s.str());
    }
    void DrawBitmap(const CContentBitmap& bitmap, int l, int t, int r, int b, bool transparent, COLORREF key) override
    {
        std::ostringstream s;
        s << "bitmap " << bitmap.GetFullWidth() << "x" << bitmap.GetFullHeight() << " at " << l << "," << t << ","
          << r << "," << b << (transparent ? " key " : " opaque ") << key;
        calls.push_back(s.str());
    }
    std::vector<std::string> calls;

private:
    void Log(const char* what, int a, int b, int c, int d, COLORREF colour, int w)
    {
        std::ostringstream s;
        s << what << " " << a << "," << b << "," << c << "," << d << " c" << colour << " w" << w;
        calls.push_back(s.str());
    }
    int m_zoom;
};

}  // namespace

TEST(DrawObjectPaint, ShapesUseTheirColoursAndTheZoomedLineWidth)
{
    CDrawRect rect;
    rect.SetStyle(kStyleOutlinedFilled);
    rect.SetFillColour(7);
    rect.SetLineColour(9);
    CRecordingPainter at150(150);
    rect.Paint(at150, 0, 0, 10, 20);
    ASSERT_EQ(at150.calls.size(), 5u);
    // The fill, then the edges: 150 % still draws 1-pixel lines.
    EXPECT_EQ(std::vector(at150.calls.begin(), at150.calls.begin() + 2),
              (std::vector<std::string>{"fill 0,0,10,20 c7 w0", "line 0,0,10,0 c9 w1"}));

    CRecordingPainter at250(250);
    rect.SetStyle(kStyleOutlined);
    rect.Paint(at250, 0, 0, 10, 20);
    ASSERT_EQ(at250.calls.size(), 4u);
    EXPECT_EQ(at250.calls[0], "line 0,0,10,0 c9 w2");

    CDrawEllipse ellipse;
    ellipse.SetStyle(kStyleFilled);
    ellipse.SetFillColour(5);
    CRecordingPainter p(100);
    ellipse.Paint(p, 1, 2, 3, 4);
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], "ellipse-filled 1,2,3,4 c5 w1");  // pen of the fill colour

    CDrawLine line;  // from its first end to its second, mapped to the window
    line.SetCoords(10, 0, 0, 20);
    line.SetLineColour(3);
    CRecordingPainter q(100);
    line.Paint(q, 0, 0, 0, 0);
    EXPECT_EQ(q.calls[0], "line 20,100,0,60 c3 w1");

    CDrawPolyline poly;
    poly.SetPoints({{1, 1}, {5, 5}, {9, 1}});
    CRecordingPainter r(100);
    poly.Paint(r, 0, 0, 0, 0);
    EXPECT_EQ(r.calls[0], "polyline-outlined n3 first 2,98 w1");
}

TEST(DrawObjectPaint, TrackerOutlinesTheBoxAndAddsTheGhost)
{
    CDrawEllipse ellipse;
    ellipse.SetCoords(10, 0, 0, 20);
    CRecordingPainter p(100);
    ellipse.DrawTracker(p);
    ASSERT_EQ(p.calls.size(), 5u);
    // The top edge (face y 20 -> window 60) first, the ghost last.
    EXPECT_EQ(std::pair(p.calls[0], p.calls[4]),
              std::pair(std::string("line 0,60,20,60 c0 w1"), std::string("ellipse 0,60,20,100 c0 w1")));
    CDrawRect rect;  // no ghost of its own
    CRecordingPainter q(100);
    rect.DrawTracker(q);
    EXPECT_EQ(q.calls.size(), 4u);
}

TEST(DrawObjectPaint, BitmapKindsDrawTheirContentWithTheirKey)
{
    CDrawBarcode barcode;
    barcode.SetData("A");
    barcode.SetCoords(0, 20, 48, 0);
    CRecordingPainter p(100);
    barcode.Paint(p, 0, 60, 96, 100);
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], "bitmap 48x20 at 0,60,96,100 opaque 16777215");

    CDrawText text;
    text.SetText("A");
    text.SetCoords(0, 20, 10, 0);
    CRecordingPainter q(100);
    text.Paint(q, 0, 60, 20, 100);
    ASSERT_EQ(q.calls.size(), 1u);
    EXPECT_EQ(q.calls[0], "bitmap 10x20 at 0,60,20,100 key " + std::to_string(0xFF00FF));
}

TEST(PolygonFill, AgreesWithAPointInPolygonReference)
{
    const unsigned seed = 20261206;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> coord(-5, 44), count(3, 8);
    for (int round = 0; round < 200; ++round) {
        std::vector<CDrawPoint> pts(static_cast<std::size_t>(count(random)));
        for (CDrawPoint& p : pts)
            p = {coord(random), coord(random)};
        CRaster face = CRaster::Make(40, 40, 24).value();
        face.ToWhite();
        FillFacePolygon(face, 0x000000, pts);
        std::ostringstream polygon;
        for (const CDrawPoint& p : pts)
            polygon << "(" << p.x << "," << p.y << ")";
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                // Reference: crossings of a ray to the right, half-open in y.
                bool inside = false;
                double nearest = 1e9;
                for (std::size_t i = 0; i < pts.size(); ++i) {
                    const CDrawPoint a = pts[i], b = pts[(i + 1) % pts.size()];
                    if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
                        const double xi = a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y);
                        if (x < xi)
                            inside = !inside;
                    }
                    // Distance from the pixel to the segment.
                    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
                    double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
                    t = std::fmin(1, std::fmax(0, t));
                    nearest = std::fmin(nearest, std::hypot(a.x + t * dx - x, a.y + t * dy - y));
                }
                const bool filled = RGBQUADtoRGB(face.GetPixelColor(x, y)) == 0;
                if (inside && nearest > 1.0) {
                    ASSERT_TRUE(filled) << "seed " << seed << " round " << round << " polygon " << polygon.str()
                                        << " pixel " << x << "," << y;
                }
                if (filled && !inside) {
                    ASSERT_LE(nearest, 1.0) << "seed " << seed << " round " << round << " polygon "
                                            << polygon.str() << " pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST(ContentSerial, ChangesWithTheContentAndTravelsWithCopies)
{
    CContentBitmap a;
    EXPECT_EQ(a.GetSerial(), 0u);
    ASSERT_TRUE(a.Create(10, 10, 0, 0, 10, 10));
    const std::uint64_t first = a.GetSerial();
    EXPECT_NE(first, 0u);
    const CContentBitmap copy = a;
    EXPECT_EQ(copy.GetSerial(), first);
    a.Fill(0xFFFFFF);
    EXPECT_NE(a.GetSerial(), first);
    const std::uint64_t filled = a.GetSerial();
    a.FillRect(20, 20, 30, 30, 0);  // wholly outside: nothing changes
    EXPECT_EQ(a.GetSerial(), filled);
    a.FillRect(2, 2, 4, 4, 0);
    EXPECT_NE(a.GetSerial(), filled);
    CContentBitmap b;
    ASSERT_TRUE(b.Create(10, 10, 0, 0, 10, 10));
    EXPECT_NE(b.GetSerial(), a.GetSerial());  // two contents never share a number
    a.Reset();
    EXPECT_EQ(a.GetSerial(), 0u);
}

TEST(ContentSerial, AnObjectKeepsItsNumberUntilItsContentIsRedrawn)
{
    CDrawBarcode code;
    ASSERT_TRUE(code.SetData("ABC"));
    code.SetCoords(0, 40, 200, 0);
    const CContentBitmap* content = code.PrepareContent(400, 400);
    ASSERT_TRUE(content);
    const std::uint64_t serial = content->GetSerial();
    EXPECT_EQ(code.PrepareContent(400, 400)->GetSerial(), serial);
    ASSERT_TRUE(code.SetData("ABD"));
    code.InvalidateCache();
    EXPECT_NE(code.PrepareContent(400, 400)->GetSerial(), serial);
}
