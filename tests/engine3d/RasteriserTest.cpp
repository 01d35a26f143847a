// The textured polygon rasteriser: culling, sub-sample averaging, CD-ROM
// transparency, rounded corners, edge softening, lines and
// fills, ordered passes, and the fast sampler against a plain reference.
#include "EngineTestUtil.h"

#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/surface/RenderSurface.h"
#include "engine3d/sampling/TextureSet.h"

using namespace enginetest;

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);

struct CScene {
    std::unique_ptr<CRaster> target;
    std::unique_ptr<CRenderSurface> surface;
    CTextureSet textures;
    explicit CScene(int w = 64, int h = 64, COLORREF bg = kBackground)
        : target(MakePicture(w, h, bg)), surface(CRenderSurface::Create(*target))
    {
        surface->SetFit(UnitFit());
        surface->ClearSoftening();
    }
    // Draws `f`, or the upright face of `code` from (x0, y0) to (x1, y1).
    void Draw(CPolygon3D f, const CDrawOptions& opt = {}) { DrawPolygon(f, *surface, opt, &textures, nullptr); }
    void Draw(double x0, double y0, double x1, double y1, char code, const CDrawOptions& opt = {})
    {
        Draw(FlatFace(x0, y0, x1, y1, code), opt);
    }
    COLORREF At(int x, int y) const { return Get(*target, x, y); }
};

// Nearest texel column / row for face coordinate t in [0, 1).
int Nearest(int size, double t) { return static_cast<int>(std::floor((size - 1) * t + 0.5)); }

// Expected pixel of a face from x0 to x0 + W (and y0 .. y0 + H) over a texture,
// fully covering pixel (x, y): the per-channel integer average of the texels
// under the side x side grid of sub-samples.
COLORREF ExpectedAverage(const CRaster& tex, int x, int y, double x0, double y0, double W,
                         double H, int side)
{
    const double step = 1.0 / side, first = -0.5 + 0.5 * step; // the centres of side x side cells
    unsigned sum[3] = {0, 0, 0};
    int n = 0;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const double u = (x + first + step * i - x0) / W;
            const double v = (y + first + step * j - y0) / H;
            const COLORREF c = Get(tex, Nearest(tex.GetWidth(), u), Nearest(tex.GetHeight(), v));
            sum[0] += GetRValue(c);
            sum[1] += GetGValue(c);
            sum[2] += GetBValue(c);
            ++n;
        }
    return RGB(sum[0] / n, sum[1] / n, sum[2] / n);
}

std::unique_ptr<CRaster> RandomTexture(int w, int h, unsigned seed, int maxChannel = 255)
{
    std::mt19937 rng(seed);
    return RandomPicture(w, h, rng, maxChannel);
}

} // namespace

TEST(Rasteriser, FullyCoveredPixelIsTheAverageOfItsSamples)
{
    // Offsets that are not multiples of the sample step keep every sample
    // clear of a tie between two texels.
    const double x0 = 0.3137, y0 = 0.2718, W = 40, H = 40;
    auto tex = RandomTexture(30, 23, 7);
    for (int samples : {25, 100, 9}) {
        CScene scene;
        scene.textures.SetPicture('F', tex.get());
        scene.Draw(x0, y0, x0 + W, y0 + H, 'F', {.sampleCount = samples});
        const int side = samples == 100 ? 10 : samples == 9 ? 3 : 5;
        for (int y = 2; y < 39; y += 3)
            for (int x = 2; x < 39; x += 5)
                ASSERT_EQ(scene.At(x, y), ExpectedAverage(*tex, x, y, x0, y0, W, H, side))
                    << "pixel " << x << "," << y << " with " << samples << " samples";
        EXPECT_EQ(scene.At(50, 50), kBackground) << "outside the face";
    }
}

TEST(Rasteriser, BackFaceCullingOfNormalAndMirroredPolygons)
{
    auto tex = MakePicture(4, 4, RGB(200, 0, 0));
    // Corners running clockwise as the eye sees them: d < 0.
    const auto v = ScreenVertex;
    CPolygon3D away = CPolygon3D::Quad(v(30, 30), v(30, 10), v(10, 10), v(10, 30), 'F');
    away.ComputePlane();
    ASSERT_LT(away.d, 0);
    CPolygon3D toward = FlatFace(10, 10, 30, 30, 'F');
    ASSERT_GT(toward.d, 0);

    struct Case {
        CPolygon3D polygon;
        int mirrored;
        bool drawn;
        const char* what;
    } cases[] = {
        {away, 0, false, "turned away, culled"},
        {toward, 0, true, "facing the eye"},
        {away, 1, true, "mirrored copy with d < 0 is drawn"},
        {toward, 1, false, "mirrored copy with d > 0 is culled"},
    };
    for (Case& c : cases) {
        for (bool textured : {true, false}) {
            CScene scene, all;
            scene.textures.SetPicture('F', tex.get());
            all.textures.SetPicture('F', tex.get());
            c.polygon.mirrored = c.mirrored;
            c.polygon.fillColour = RGB(200, 0, 0);
            scene.Draw(c.polygon, {.textured = textured}); // the fill path is culled as well
            EXPECT_EQ(scene.At(20, 20) == RGB(200, 0, 0), c.drawn) << c.what << (textured ? " (textured)" : " (fill)");
            all.Draw(c.polygon, {.cull = false, .textured = textured}); // without culling everything is drawn
            EXPECT_EQ(all.At(20, 20), RGB(200, 0, 0)) << c.what;
        }
    }
}

TEST(Rasteriser, DiscPictureIsTransparentWhereItIsFEFEFE)
{
    CScene scene, box, half;
    auto disc = MakePicture(20, 20, 0xFEFEFE);
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 20; ++x) Set(*disc, x, y, RGB(0, 0, 250));
    scene.textures.SetPicture('C', disc.get());
    scene.Draw(0.1, 0.1, 40.1, 40.1, 'C');
    EXPECT_EQ(scene.At(8, 20), kBackground) << "transparent left half shows the box behind";
    EXPECT_EQ(scene.At(32, 20), RGB(0, 0, 250));
    // The same colour on a box face is ordinary artwork.
    box.textures.SetPicture('F', disc.get());
    box.Draw(0.1, 0.1, 40.1, 40.1, 'F');
    EXPECT_EQ(box.At(8, 20), 0xFEFEFEu);
    // With the half flag only the right half of the picture is sampled.
    half.textures.SetPicture('C', disc.get());
    half.textures.cdHalf = true;
    half.Draw(0.1, 0.1, 40.1, 40.1, 'C');
    EXPECT_EQ(half.At(3, 20), RGB(0, 0, 250));
}

TEST(Rasteriser, RoundedCornersCutTexturesAndFills)
{
    // A card face of 40 x 40 units drawn one unit per pixel, corner radius 8.
    auto tex = MakePicture(8, 8, RGB(0, 200, 0));
    for (bool textured : {true, false}) {
        CScene scene;
        scene.textures.SetPicture('F', tex.get());
        scene.textures.cornerRadius = 8;
        scene.textures.faceWidth = 40;
        scene.textures.faceHeight = 40;
        CPolygon3D face = FlatFace(0.1, 0.1, 40.1, 40.1, textured ? 'F' : 0);
        face.fillColour = RGB(0, 200, 0);
        scene.Draw(face);
        // Beyond the arcs the pixel near each corner of the square stays untouched; the
        // face shows inside the arc ((3, 3) is 7.2 from the arc centre (8.1, 8.1)),
        // along the edges between the corners and in the middle.
        for (auto [x, y, inside] : {std::tuple{1, 1, false}, {39, 1, false}, {1, 39, false}, {39, 39, false},
                                    {3, 3, true}, {20, 1, true}, {1, 20, true}, {20, 20, true}})
            EXPECT_EQ(scene.At(x, y), inside ? RGB(0, 200, 0) : kBackground)
                << (textured ? "textured" : "flat fill") << " at " << x << "," << y;
    }
    // The shape test itself, in face units: the corner square's edge (3 / 86) is inside, u = 1 outside.
    EXPECT_EQ((std::vector{InsideFaceShape(0.5, 0.5, 3, 86, 54), InsideFaceShape(0.1 / 86, 0.1 / 54, 3, 86, 54),
                           InsideFaceShape(3.0 / 86, 0.5 / 54, 3, 86, 54), InsideFaceShape(1.0, 0.5, 0, 86, 54),
                           InsideFaceShape(0.0, 0.0, 0, 86, 54)}),
              (std::vector{true, false, true, false, true}));
}

TEST(Rasteriser, SofteningBlendsSharedEdgesAndOutlines)
{
    const COLORREF A = RGB(200, 100, 50), B = RGB(20, 220, 120);
    auto ta = MakePicture(4, 4, A), tb = MakePicture(4, 4, B);
    CScene scene;
    scene.textures.SetPicture('F', ta.get());
    scene.textures.SetPicture('R', tb.get());
    CDrawOptions opt{.soften = true};
    // Face A from 0.1 to 20.1, face B from 20.1 to 40.1: pixel 20 has samples at
    // 19.6, 19.8, 20.0 on A (15 of 25) and 20.2, 20.4 on B (10 of 25).
    CPolygon3D fa = FlatFace(0.1, 0.1, 20.1, 40.1, 'F');
    CPolygon3D fb = FlatFace(20.1, 0.1, 40.1, 40.1, 'R');
    // Face C alone from 44.1 to 59.9: pixel 60 has samples 59.6, 59.8 on it (10 of 25).
    CPolygon3D fc = FlatFace(44.1, 0.1, 59.9, 40.1, 'F');
    for (CPolygon3D* f : {&fa, &fb, &fc}) scene.Draw(*f, opt);
    EXPECT_TRUE(scene.surface->HasPartialPixel(20, 20) && scene.surface->GetCoverage(20, 20) == 25);
    EXPECT_EQ(scene.At(20, 20), kBackground) << "partial pixels wait for the resolve";
    scene.surface->ResolvePartialPixels(25);

    auto mix = [](COLORREF p, int np, COLORREF q, int nq, int n) {
        return RGB((np * GetRValue(p) + nq * GetRValue(q)) / n, (np * GetGValue(p) + nq * GetGValue(q)) / n,
                   (np * GetBValue(p) + nq * GetBValue(q)) / n);
    };
    EXPECT_EQ(scene.At(20, 20), mix(A, 15, B, 10, 25)) << "shared edge: both faces, no background";
    EXPECT_EQ(scene.At(60, 20), mix(kBackground, 15, A, 10, 25)) << "outline: (15 B + sum) / 25";
    EXPECT_EQ(std::pair(scene.At(10, 20), scene.At(30, 20)), std::pair(A, B)) << "interior pixels";

    // An outline pixel that something else has been drawn over since is kept.
    CScene over;
    over.textures.SetPicture('F', ta.get());
    over.Draw(fc, opt);
    Set(*over.target, 60, 20, RGB(1, 2, 3));
    over.surface->ResolvePartialPixels(25);
    EXPECT_EQ(over.At(60, 20), RGB(1, 2, 3));

    // On the 3 x 3 grid pixel 20's samples lie at 19.67, 20.0 (A) and 20.33
    // (B), pixel 60's at 59.67 on C: 6 and 3 of 9, the resolve's whole being 9.
    CScene coarse;
    coarse.textures.SetPicture('F', ta.get());
    coarse.textures.SetPicture('R', tb.get());
    opt.sampleCount = 9;
    for (CPolygon3D* f : {&fa, &fb, &fc}) coarse.Draw(*f, opt);
    EXPECT_EQ(coarse.surface->GetCoverage(20, 20), 9);
    coarse.surface->ResolvePartialPixels(9);
    EXPECT_EQ(std::pair(coarse.At(20, 20), coarse.At(60, 20)), std::pair(mix(A, 6, B, 3, 9), mix(kBackground, 6, A, 3, 9)));

    // The CD-ROM face takes over a partial pixel: the record goes, the pixel is its own.
    CScene disc;
    auto red = MakePicture(4, 4, RGB(250, 0, 0));
    disc.textures.SetPicture('F', ta.get());
    disc.textures.SetPicture('C', red.get());
    disc.Draw(fc, opt);
    disc.Draw(59.5, 0.1, 63.9, 40.1, 'C', opt);
    EXPECT_FALSE(disc.surface->HasPartialPixel(60, 20));
    disc.surface->ResolvePartialPixels(25);
    EXPECT_EQ(disc.At(60, 20), RGB(250, 0, 0));
}

TEST(Rasteriser, SofteningReachesPixelsBeyond1023)
{
    // The coverage map follows the picture: an outline far out is blended too.
    const COLORREF A = RGB(200, 100, 50);
    auto ta = MakePicture(4, 4, A);
    CScene scene(1200, 8, kBackground);
    scene.textures.SetPicture('F', ta.get());
    scene.Draw(1100.1, 0.1, 1119.9, 7.9, 'F', {.soften = true});
    scene.surface->ResolvePartialPixels(25);
    EXPECT_EQ(scene.surface->GetCoverage(1110, 4), 25);
    EXPECT_EQ(scene.At(1120, 4), RGB((15 * 10 + 10 * 200) / 25, (15 * 20 + 10 * 100) / 25, (15 * 30 + 10 * 50) / 25));
}

TEST(Rasteriser, LinesAndFills)
{
    CScene scene(20, 20, 0);
    CBoundingBox box;
    scene.surface->DrawLine(RGB(255, 0, 0), 2, 3, 2, 3, &box);
    EXPECT_EQ(Get(*scene.target, 2, 3), RGB(255, 0, 0));
    scene.surface->DrawLine(RGB(0, 255, 0), -5, 5, 30, 5, &box); // clipped run
    EXPECT_EQ(Get(*scene.target, 0, 5), RGB(0, 255, 0));
    EXPECT_EQ(Get(*scene.target, 19, 5), RGB(0, 255, 0));
    scene.surface->DrawLine(RGB(0, 0, 255), 0, 0, 9, 18, &box); // Bresenham, steep
    for (auto [x, y] : {std::pair{0, 0}, {9, 18}, {5, 10}})
        EXPECT_EQ(Get(*scene.target, x, y), RGB(0, 0, 255)) << x << "," << y;
    EXPECT_EQ(std::pair(box.left, box.right), std::pair(-5, 30));
    CBoundingBox none;
    scene.surface->DrawLine(RGB(9, 9, 9), -3, -3, -1, 40, &none); // entirely left
    EXPECT_TRUE(none.IsEmpty());

    // A triangle fill covers the scan span of every row, end points included.
    CScene fill(20, 20, 0);
    const int h = fill.surface->BeginPolygon();
    fill.surface->AddEdge(h, 2, 2, 12, 2);
    fill.surface->AddEdge(h, 12, 2, 2, 12);
    fill.surface->AddEdge(h, 2, 12, 2, 2);
    CPolygon3D dummy;
    fill.surface->FillPolygon(h, RGB(7, 8, 9), nullptr, 0, dummy);
    CBoundingBox fb;
    fill.surface->EndPolygon(h, &fb);
    for (auto [x, y] : {std::pair{2, 2}, {12, 2}, {2, 12}, {7, 7}})
        EXPECT_EQ(Get(*fill.target, x, y), RGB(7, 8, 9)) << x << "," << y;
    EXPECT_EQ(Get(*fill.target, 9, 9), 0u);
    EXPECT_EQ(std::tuple(fb.left, fb.right, fb.bottom, fb.top), std::tuple(2, 12, 2, 12));

    // Edges far outside the picture are clamped, never written out of bounds.
    CScene wide(10, 10, 0);
    const int h2 = wide.surface->BeginPolygon();
    wide.surface->AddEdge(h2, -100000, -5, 100000, 5);
    wide.surface->AddEdge(h2, 100000, 5, 100000, 20);
    wide.surface->AddEdge(h2, 100000, 20, -100000, -5);
    wide.surface->FillPolygon(h2, RGB(1, 1, 1), nullptr, 0, dummy);
    wide.surface->EndPolygon(h2, nullptr);
    EXPECT_EQ(Get(*wide.target, 9, 5), RGB(1, 1, 1));
}

TEST(Rasteriser, OutlinesOfUntexturedPolygons)
{
    CScene scene(20, 20, 0);
    const auto v = ScreenVertex;
    CPolygon3D tri;
    tri.vertices = {v(2, 2), v(15, 2), v(2, 15)};
    tri.ComputePlane();
    tri.fillColour = RGB(0, 0, 100);
    tri.outlineColour = RGB(100, 0, 0);
    CDrawOptions opt;
    opt.textured = false; // outline colour differs from fill: edges drawn
    DrawPolygon(tri, *scene.surface, opt, nullptr, nullptr);
    EXPECT_EQ(Get(*scene.target, 5, 2), RGB(100, 0, 0));
    EXPECT_EQ(Get(*scene.target, 5, 5), RGB(0, 0, 100));
    CScene quiet(20, 20, 0);
    opt.textured = true; // rendering: only outlined polygons get edges
    DrawPolygon(tri, *quiet.surface, opt, nullptr, nullptr);
    EXPECT_EQ(Get(*quiet.target, 5, 2), RGB(0, 0, 100));

    // Two vertices: a line from vertex 1 to vertex 0 in the outline colour, never culled.
    CScene line(20, 20, 0);
    CPolygon3D seg;
    seg.vertices = {v(1, 1), v(18, 1)};
    seg.outlineColour = RGB(0, 90, 0);
    seg.d = -5;
    DrawPolygon(seg, *line.surface, CDrawOptions(), nullptr, nullptr);
    EXPECT_EQ(Get(*line.target, 10, 1), RGB(0, 90, 0));
}

TEST(Rasteriser, OrderedPassesPutTheDiscBehindOrInFront)
{
    // A box face and the CD-ROM overlapping it; the right face decides.
    auto red = MakePicture(4, 4, RGB(250, 0, 0));
    auto blue = MakePicture(4, 4, RGB(0, 0, 250));
    auto make = [&](double rightD, int mirrored) {
        CPolygonList list;
        CPolygon3D right = FlatFace(50, 50, 51, 51, 'R');
        right.vertices.resize(4);
        right.d = rightD;
        right.mirrored = mirrored;
        right.filled = 0;
        right.faceCode = 'r';
        right.vertices[0].sx = right.vertices[1].sx = right.vertices[2].sx = right.vertices[3].sx = -100;
        list.Add(FlatFace(0.1, 0.1, 30.1, 30.1, 'C'));
        list.Add(right);
        list.Add(FlatFace(10.1, 10.1, 40.1, 40.1, 'F'));
        return list;
    };
    struct Case {
        double d;
        int mirrored;
        int pass;
        COLORREF atOverlap;
    } cases[] = {
        {-1, 0, 2, RGB(0, 0, 250)}, // right side turned away: disc first, box over it
        {+1, 0, 4, RGB(250, 0, 0)}, // right side faces the viewer: disc last
        {+1, 1, 2, RGB(0, 0, 250)}, // mirrored copy reverses the sign
        {-1, 1, 4, RGB(250, 0, 0)},
    };
    for (const Case& c : cases) {
        CPolygonList list = make(c.d, c.mirrored);
        AssignDrawPasses(list);
        EXPECT_EQ(std::pair(list[0].drawPass, list[2].drawPass), std::pair(c.pass, 3));
        CScene scene;
        scene.textures.SetPicture('C', red.get());
        scene.textures.SetPicture('F', blue.get());
        CDrawOptions opt;
        opt.cull = false;
        opt.ordered = true;
        CProgressCounter counter(3, nullptr);
        DrawPolygonList(list, *scene.surface, opt, &scene.textures, &counter, nullptr);
        EXPECT_EQ(Get(*scene.target, 20, 20), c.atOverlap) << "d " << c.d << " mirrored " << c.mirrored;
        EXPECT_EQ(counter.GetDone(), 3u);
    }
    // No deciding polygon: pass 3 for all, list order.
    CPolygonList lone;
    lone.Add(FlatFace(0, 0, 1, 1, 'C'));
    lone.Add(FlatFace(0, 0, 1, 1, '2'));
    AssignDrawPasses(lone);
    EXPECT_EQ(std::pair(lone[0].drawPass, lone[1].drawPass), std::pair(3, 3));
}

// The plain reading of the inverse mapping, straight from the eye ray.
static void ReferenceMap(const CPolygon3D& f, const CFitContext& fit, double px, double py,
                         double& u, double& v)
{
    double qx, qy;
    fit.PictureToModel(px, py, qx, qy);
    const double r[3] = {qx, qy, 1};
    const CVertex3D &c0 = f.vertices[0], &c1 = f.vertices[1], &c2 = f.vertices[2];
    const double P[3] = {c0.x, c0.y, c0.z};
    const double e1[3] = {c1.x - c0.x, c1.y - c0.y, c1.z - c0.z};
    const double e2[3] = {c2.x - c1.x, c2.y - c1.y, c2.z - c1.z};
    auto cross = [](const double* a, const double* b, double* o) {
        o[0] = a[1] * b[2] - a[2] * b[1];
        o[1] = a[2] * b[0] - a[0] * b[2];
        o[2] = a[0] * b[1] - a[1] * b[0];
    };
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    double A[3], B[3], C[3];
    cross(P, e2, A);
    cross(e1, P, B);
    cross(e2, e1, C);
    const double den = dot(r, C);
    u = dot(r, B) / den;
    v = 1 - dot(r, A) / den;
}

TEST(Rasteriser, FastSamplerMatchesThePlainReferenceOnRandomFaces)
{
    const unsigned seed = 20261206;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-0.9, 0.9), pos(-40, 40), size(30, 90);
    auto tex = RandomTexture(37, 29, seed, 200);
    int compared = 0, mismatched = 0;
    for (int trial = 0; trial < 12; ++trial) {
        // A rectangle turned in space, 300 units in front of the eye.
        const double w = size(rng), h = size(rng), ay = angle(rng), ax = angle(rng);
        const double cx = pos(rng), cy = pos(rng), cz = 300 + pos(rng);
        CTurnedFace turned(w, h, ay, ax, cx, cy, cz, 100);
        const CFitContext& fit = turned.fit;
        CPolygon3D& face = turned.Face();
        CTextureSet set;
        set.SetPicture('F', tex.get());
        // Odd trials take the general sample loop (white avoidance changes
        // nothing here: the texture has no white).
        set.whiteAvoid = trial % 2 == 1;
        // On white: the texture's channels stay below 201.
        auto target = DrawAlone(face, fit, 100, set, {}, nullptr, false, 0xFFFFFF);

        // Check the stored coefficients too.
        CQuadMapping map;
        map.Create(face, fit);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                unsigned sum[3] = {0, 0, 0};
                int n = 0;
                for (int j = 0; j < 5; ++j)
                    for (int i = 0; i < 5; ++i) {
                        double u, v;
                        const double px = x - 0.4 + 0.2 * i, py = y - 0.4 + 0.2 * j;
                        ReferenceMap(face, fit, px, py, u, v);
                        double fu, fv;
                        map.Map(px, py, fu, fv);
                        ASSERT_NEAR(fu, u, 1e-9) << "seed " << seed << " trial " << trial;
                        ASSERT_NEAR(fv, v, 1e-9) << "seed " << seed << " trial " << trial;
                        if (!(u >= 0 && u < 1 && v >= 0 && v < 1)) continue;
                        const COLORREF c = Get(*tex, Nearest(37, u), Nearest(29, v));
                        sum[0] += GetRValue(c);
                        sum[1] += GetGValue(c);
                        sum[2] += GetBValue(c);
                        ++n;
                    }
                const COLORREF got = Get(*target, x, y);
                if (n == 25) { // fully inside: the fast path must have drawn it the same
                    ++compared;
                    if (got != RGB(sum[0] / n, sum[1] / n, sum[2] / n)) ++mismatched;
                } else if (n == 0) {
                    EXPECT_EQ(got, 0xFFFFFFu) << "seed " << seed << " trial " << trial << " at " << x << "," << y;
                }
            }
    }
    EXPECT_GT(compared, 5000);
    // Sample positions that land exactly between two texels may round either way.
    EXPECT_LE(mismatched, compared / 1000) << "seed " << seed;
}

TEST(Rasteriser, RefusesUnusablePictures)
{
    CRaster empty, palette;
    std::string error;
    EXPECT_TRUE(CRenderSurface::Create(empty, &error) == nullptr && !error.empty());
    palette.Create(8, 8, 8);
    EXPECT_EQ(CRenderSurface::Create(palette, &error), nullptr);
    CTextureSet set;
    EXPECT_TRUE(!set.SetPicture('F', &palette) && set.GetPicture('F') == nullptr);
}

TEST(Rasteriser, FoldsDrawTheEdgesOfBoxFaces)
{
    // Face of 40 units drawn one unit per pixel; a fold band of 2 units.
    auto tex = MakePicture(8, 8, RGB(0, 0, 200));
    CScene scene;
    scene.textures.SetPicture('F', tex.get());
    scene.textures.foldsShown = true;
    scene.textures.foldsColour = RGB(250, 250, 0);
    scene.textures.foldWidth = 2;
    scene.Draw(0.1, 0.1, 40.1, 40.1, 'F');
    // The left and top edges, then inside the face.
    EXPECT_EQ((std::vector{scene.At(1, 20), scene.At(20, 39), scene.At(20, 20)}),
              (std::vector{RGB(250, 250, 0), RGB(250, 250, 0), RGB(0, 0, 200)}));
    // The CD-ROM is not folded.
    CScene disc;
    disc.textures.SetPicture('C', tex.get());
    disc.textures.foldsShown = true;
    disc.Draw(0.1, 0.1, 40.1, 40.1, 'C');
    EXPECT_EQ(disc.At(1, 20), RGB(0, 0, 200));
}

TEST(Rasteriser, FacesWithoutPictures)
{
    CScene scene;
    CPolygon3D front = FlatFace(0.1, 0.1, 20.1, 20.1, 'F');
    front.fillColour = RGB(90, 80, 70);
    scene.Draw(front);
    scene.Draw(30.1, 0.1, 50.1, 20.1, 'C');
    // A face shows its fill colour; a CD-ROM without picture is not drawn.
    EXPECT_EQ(std::pair(scene.At(10, 10), scene.At(40, 10)), std::pair(RGB(90, 80, 70), kBackground));
}
