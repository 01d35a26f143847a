// Lights, shadow copies and their blending, the reflection and its fades;
// mixing in linear light (the reflection's fade and the soft edges' outline
// pixels) against the sRGB curve's own formula.
#include "EngineTestUtil.h"

#include "engine3d/surface/EngineSettings.h"
#include "engine3d/light/Lighting.h"
#include "engine3d/light/Reflection.h"
#include "engine3d/light/ShadowSpans.h"
#include "engine3d/light/Shadows.h"
#include "engine3d/light/StudioShadow.h"
#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/surface/RenderSurface.h"

#include <cstring>

using namespace enginetest;

namespace {

// One vertical post from (0, 0, 0) to (0, 10, 0) in a list.
CPolygonList Post()
{
    CPolygonList l;
    CPolygon3D p;
    p.vertices = {MakeVertex(0, 0, 0), MakeVertex(0, 10, 0), MakeVertex(1, 10, 2)};
    p.faceCode = 'F';
    p.fillColour = RGB(1, 2, 3);
    l.Add(p);
    return l;
}

} // namespace

TEST(Lighting, MaskBitsAndDirections)
{
    // Bit i + 2 + 5 (j + 2): the front-left and back-right corners, the default light, the four corners.
    const std::uint32_t corners = 0x1 | 0x10 | 0x100000 | 0x1000000;
    EXPECT_EQ((std::vector{IsLightOn(0x1, -2, -2), IsLightOn(0x1000000, 2, 2), IsLightOn(0x100, 1, -1),
                           IsLightOn(0x100, -1, 1), IsLightOn(corners, 2, -2), IsLightOn(corners, -2, 2)}),
              (std::vector{true, true, true, false, true, true}));
    const CLightShear s = LightShear(2, -1);
    EXPECT_EQ(std::pair(s.a, s.b), std::pair(-1.0, 0.5));
}

TEST(Shadows, CopiesPerStyleAndTheirOffsets)
{
    struct Case {
        int style;
        std::uint32_t lights;
        std::size_t lists;
    } cases[] = {{0, 0x100, 1}, {1, 0x100, 4}, {2, 0x100, 9}, {3, 0x100, 16}, {3, 0x1 | 0x1000000, 32},
                 {1, 0x1F, 20}};
    for (const Case& c : cases) {
        CEngineSettings s;
        s.shadowStyle = c.style;
        s.lights = c.lights;
        CModelMesh mesh;
        mesh.lists.push_back(Post());
        AddShadows(mesh, Post(), s);
        EXPECT_EQ(mesh.lists.size(), 1 + c.lists) << "style " << c.style;
    }
    CEngineSettings off;
    off.shadows = false;
    CModelMesh none;
    AddShadows(none, Post(), off);
    EXPECT_TRUE(none.lists.empty());

    // The centre light (bit 12) falls straight down: copies differ only by the offsets.
    CEngineSettings s;
    s.shadowStyle = 2;
    s.lights = 1u << 12;
    s.shadowColour = RGB(50, 60, 70);
    CModelMesh mesh;
    AddShadows(mesh, Post(), s);
    ASSERT_EQ(mesh.lists.size(), 9u);
    const double o[3] = {-4, -4.0 / 3, 4.0 / 3};
    for (int k = 0; k < 3; ++k)
        for (int m = 0; m < 3; ++m) {
            const CPolygon3D& p = mesh.lists[static_cast<std::size_t>(k * 3 + m)][0];
            EXPECT_NEAR(p.vertices[1].x, 0 + o[k], 1e-12) << "k outer";
            EXPECT_NEAR(p.vertices[1].z, 0 + o[m], 1e-12) << "m inner";
            EXPECT_EQ(std::tuple(p.vertices[1].y, p.faceCode, p.fillColour), std::tuple(0.0, 0, RGB(50, 60, 70)));
        }
}

TEST(Shadows, DefaultLightShearsLeftAndAway)
{
    CEngineSettings s;
    s.shadowStyle = 0; // cut: one copy without offsets
    CModelMesh mesh;
    AddShadows(mesh, Post(), s);
    ASSERT_EQ(mesh.lists.size(), 1u);
    const CVertex3D& top = mesh.lists[0][0].vertices[1];
    // Light i = 1, j = -1: a = -0.5, b = 0.5; the top of the post at height 10.
    EXPECT_EQ(std::tuple(top.x, top.y, top.z), std::tuple(-5.0, 0.0, 5.0));
}

TEST(Shadows, VerticalTableProjectsOntoTheWall)
{
    CEngineSettings s;
    s.shadowStyle = 0;
    s.tablePosition = 1;
    s.aboveTable = 20;
    s.lights = 1u << 12;
    CModelMesh mesh;
    AddShadows(mesh, Post(), s);
    ASSERT_EQ(mesh.lists.size(), 1u);
    for (const CVertex3D& v : mesh.lists[0][0].vertices) EXPECT_DOUBLE_EQ(v.z, 2 + 20);
    // Light (1, -1) on the wall: t = P - z, x' = x + t a, y' = y + t b.
    CEngineSettings d = s;
    d.lights = 0x100;
    CModelMesh m2;
    AddShadows(m2, Post(), d);
    const CVertex3D& v = m2.lists[0][0].vertices[1]; // (0, 10, 0), t = 22
    EXPECT_EQ(std::pair(v.x, v.y), std::pair(0 + 22 * -0.5, 10 + 22 * 0.5));
}

TEST(Shadows, BlendWeightsAndMismatchedPictures)
{
    // The copies of each style (1, 4, 9 and 16: CopiesPerStyleAndTheirOffsets)
    // together move a pixel about halfway, as the one copy of "Cut" does; the
    // weights themselves are held by the stored projects (one more fails them).
    for (int style : {0, 1, 2, 3}) {
        int t = 255;
        for (int i = 0; i < (style + 1) * (style + 1); ++i) t = (t * ShadowWeight(style)) / 256;
        EXPECT_NEAR(t, 127, 6) << "style " << style;
    }
    // Mismatched pictures are refused and nothing changes.
    auto small = MakePicture(2, 1, 0), target = MakePicture(4, 1, RGB(200, 90, 40));
    CBoundingBox box;
    box.Add(0, 0);
    EXPECT_FALSE(CShadowBlender().Blend(*small, *target, 128, box));
    EXPECT_EQ(Get(*target, 0, 0), RGB(200, 90, 40));
}

TEST(Reflection, FadeWeightsByRow)
{
    EXPECT_EQ(ReflectionWeight(399, 400, 128, 255), 12831) << "top row of a 400-row picture";
    EXPECT_EQ(ReflectionWeight(0, 400, 128, 255), 25500) << "bottom row hides the reflection";
    EXPECT_EQ(ReflectionWeight(399, 400, 1, 1), 100) << "almost opaque everywhere";
    // Top Fade above Bottom Fade: the same linear fade from the top value to the bottom one.
    EXPECT_EQ(ReflectionWeight(399, 400, 255, 128), 25500 - 31);
    EXPECT_EQ(ReflectionWeight(0, 400, 255, 128), 12800);

    // Picture 255 over layer 0 shows the weight in hundredths.
    auto target = MakePicture(4, 400, RGB(255, 255, 255));
    auto layer = MakePicture(4, 400, RGB(0, 0, 0));
    Set(*layer, 3, 399, 0xFFFFFF); // white layer pixel: background, skipped
    CBoundingBox box;
    box.Add(0, 0);
    box.Add(3, 399);
    ASSERT_TRUE(BlendReflectionLayer(*layer, *target, 128, 255, false, box));
    EXPECT_EQ(GetRValue(Get(*target, 0, 399)), 255 * 12831 / 25500);
    EXPECT_EQ(GetRValue(Get(*target, 0, 0)), 255);
    EXPECT_EQ(Get(*target, 3, 399), 0xFFFFFFu);
    // Layer 200 under picture 0: (0 * w + 200 * (25500 - w)) / 25500.
    auto dark = MakePicture(1, 400, 0);
    auto bright = MakePicture(1, 400, RGB(200, 200, 200));
    CBoundingBox b;
    b.Add(0, 399);
    BlendReflectionLayer(*bright, *dark, 128, 255, false, b);
    EXPECT_EQ(GetRValue(Get(*dark, 0, 399)), 200 * (25500 - 12831) / 25500);
}

TEST(Reflection, RippleCarriesAlongTheRow)
{
    auto target = MakePicture(4, 400, RGB(255, 255, 255));
    auto layer = MakePicture(4, 400, RGB(0, 0, 0));
    CBoundingBox box;
    box.Add(0, 399);
    box.Add(3, 399);
    ASSERT_TRUE(BlendReflectionLayer(*layer, *target, 128, 255, true, box));
    // Row 399 starts at 12831; (x + y) mod 11 = 3, 4, 5, 6 adds -200, -100, 0, +100.
    const auto row = [](const CRaster& r) {
        return std::array{GetRValue(Get(r, 0, 399)), GetRValue(Get(r, 1, 399)), GetRValue(Get(r, 2, 399)),
                          GetRValue(Get(r, 3, 399))};
    };
    EXPECT_EQ(row(*target), (std::array<std::uint8_t, 4>{255 * 12631 / 25500, 255 * 12531 / 25500, 255 * 12531 / 25500,
                                                  255 * 12631 / 25500}));
    // Steady: each pixel's weight is the row's 12831 plus its own -200, -100, 0, +100.
    auto steady = MakePicture(4, 400, RGB(255, 255, 255));
    ASSERT_TRUE(BlendReflectionLayer(*layer, *steady, 128, 255, true, box, 0, 0, false, true));
    EXPECT_EQ(row(*steady), (std::array<std::uint8_t, 4>{255 * 12631 / 25500, 255 * 12731 / 25500, 255 * 12831 / 25500,
                                                  255 * 12931 / 25500}));
}

TEST(Reflection, MirroredCopyOnlyOnTheHorizontalTable)
{
    CPolygonList model = Post();
    model.Translate(0, 5, 0); // floating 5 over the table
    CEngineSettings s;
    s.reflection = true;
    CModelMesh mesh;
    mesh.lists.push_back(model);
    AddReflection(mesh, model, s);
    ASSERT_EQ(mesh.lists.size(), 2u);
    // A gap of twice Above Table under the table.
    EXPECT_EQ(std::tuple(mesh.lists[1].LowestY(), mesh.lists[1][0].vertices[0].y, mesh.lists[1][0].mirrored),
              std::tuple(-15.0, -5.0, 1));
    s.tablePosition = 1;
    CModelMesh wall;
    AddReflection(wall, model, s);
    EXPECT_TRUE(wall.lists.empty());
}

TEST(Shadows, BlendMatchesThePlainFormulaOnRandomPictures)
{
    const unsigned seed = 4711;
    std::mt19937 rng(seed);
    for (int weight : {128, 215, 237, 245, 3}) {
        auto layer = MakePicture(32, 16, 0);
        auto target = MakePicture(32, 16, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) {
                // Some layer pixels white (no shadow), some channels equal to the target's.
                const COLORREF t = rng() & 0xFFFFFF;
                COLORREF l = (rng() % 5 == 0) ? 0xFFFFFFu : (rng() & 0xFFFFFF);
                if (rng() % 4 == 0) l = (l & 0xFFFF00u) | (t & 0xFFu);
                Set(*layer, x, y, l);
                Set(*target, x, y, t);
            }
        CRaster before(*target);
        // Boxes starting at different columns: rows of 29 to 32 pixels.
        const int left = weight % 4;
        CBoundingBox box;
        box.Add(left, 0);
        box.Add(31, 15);
        CShadowBlender blender;
        ASSERT_TRUE(blender.Blend(*layer, *target, weight, box));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) {
                const COLORREF l = Get(*layer, x, y), t = Get(before, x, y);
                COLORREF want = t;
                if (l != 0xFFFFFFu && x >= left) {
                    auto ch = [&](int lc, int tc) { return lc == tc ? tc : (lc * (255 - weight) + tc * weight) / 256; };
                    want = RGB(ch(GetRValue(l), GetRValue(t)), ch(GetGValue(l), GetGValue(t)),
                               ch(GetBValue(l), GetBValue(t)));
                }
                ASSERT_EQ(Get(*target, x, y), want) << "seed " << seed << " weight " << weight << " at " << x << "," << y;
            }
    }
}

// The studio shadow counted from row spans darkens every pixel as the copies
// drawn one by one into a layer and counted there do: random polygons
// (overlapping within a copy, outlined, reaching out of the picture), lines
// and closed boxes, over the whole picture and over a band of it.
TEST(Shadows, StudioSpansMatchTheCopiesDrawnIntoALayer)
{
    const unsigned seed = 99;
    std::mt19937 rng(seed);
    constexpr int W = 61, H = 47, kBandFrom = 13, kBandRows = 20;
    std::uniform_real_distribution<double> at(-8.0, 68.0);
    auto vertex = [&] {
        CVertex3D v = MakeVertex(0, 0, 1);
        v.sx = at(rng);
        v.sy = at(rng);
        return v;
    };
    CModelMesh mesh;
    mesh.lists.emplace_back(); // the product, not a shadow
    const std::array<CVertex3D, 4> footprint{vertex(), vertex(), vertex(), vertex()};
    for (int copy = 0; copy < 7; ++copy) {
        // The first cast copies closed boxes on one footprint, their tops
        // apart: each edge between two faces, the footprint's in every box.
        for (int box = 0; box < (copy == 3 ? 4 : 0); ++box) {
            const std::array<CVertex3D, 8> v{footprint[0], footprint[1], footprint[2], footprint[3],
                                             vertex(), vertex(), vertex(), vertex()};
            CPolygonList list;
            for (auto [a, b, c, d] : {std::array{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6},
                                      {3, 0, 4, 7}}) {
                CPolygon3D p;
                p.vertices = {v[a], v[b], v[c], v[d]};
                p.fillColour = RGB(60, 60, 60);
                list.Add(p);
            }
            list.SetFaceCode(0);
            mesh.lists.push_back(list);
        }
        CPolygonList list;
        // Odd copies one filled polygon: most of their rows hold one run.
        for (int i = 0; i < (copy % 2 ? 1 : 4); ++i) {
            CPolygon3D p;
            const int n = i == 3 ? 2 : 3 + static_cast<int>(rng() % 3);
            for (int k = 0; k < n; ++k) p.vertices.push_back(vertex());
            p.fillColour = RGB(60, 60, 60);
            p.outlined = static_cast<int>(rng() % 2);
            p.outlineColour = RGB(10, 20, 30);
            list.Add(p);
        }
        list.SetFaceCode(0);
        mesh.lists.push_back(list);
    }
    // Two squares a column apart, then two that touch: two runs a row, or one.
    for (int gap : {1, 0}) {
        CPolygonList list;
        for (int left : {20, 31 + gap}) {
            CPolygon3D p;
            for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {10, 30}, {0, 30}}) {
                CVertex3D v = MakeVertex(0, 0, 1);
                v.sx = left + x;
                v.sy = 8 + y;
                p.vertices.push_back(v);
            }
            p.fillColour = RGB(60, 60, 60);
            list.Add(p);
        }
        list.SetFaceCode(0);
        mesh.lists.push_back(list);
    }
    // Two quads that share an edge over their first rows only, apart below.
    CPolygonList apart;
    for (int side : {-1, 1}) {
        CPolygon3D p;
        for (auto [x, y] : {std::pair{0, 8}, {0, 18}, {14, 38}, {10, 38}}) {
            CVertex3D v = MakeVertex(0, 0, 1);
            v.sx = 30 + side * x;
            v.sy = y;
            p.vertices.push_back(v);
        }
        p.fillColour = RGB(60, 60, 60);
        apart.Add(p);
    }
    apart.SetFaceCode(0);
    mesh.lists.push_back(apart);
    mesh.contactShadowLists = 3;
    const COLORREF colour = RGB(40, 50, 70);
    CTextureSet textures;
    auto ground = RandomPicture(W, H, rng);
    for (int band = 0; band < 2; ++band) {
        const int from = band ? kBandFrom : 0, rows = band ? kBandRows : H;
        auto drawn = MakePicture(W, rows, 0);
        for (int y = 0; y < rows; ++y) std::memcpy(drawn->GetBits(y), ground->GetBits(from + y), 3 * W);
        CRaster spanned(*drawn);
        auto layer = MakePicture(W, rows, 0xFFFFFF);
        std::unique_ptr<CRenderSurface> surface = CRenderSurface::Create(*layer);
        surface->SetBand(from);
        CShadowAccumulator accumulator;
        accumulator.Create(W, rows);
        int copies[2] = {0, 0};
        for (std::size_t i = 1; i < mesh.lists.size(); ++i) {
            CBoundingBox box;
            DrawPolygonList(mesh.lists[i], *surface, CDrawOptions{false, true, false, 25, false}, &textures, nullptr,
                            &box);
            box.bottom -= from;
            box.top -= from;
            const bool contact = i <= mesh.contactShadowLists;
            accumulator.Add(*layer, box, contact);
            ++copies[contact ? 1 : 0];
        }
        accumulator.Apply(*drawn, copies[0], copies[1], colour);
        CShadowSpans spans;
        ASSERT_TRUE(spans.Build(mesh, mesh.lists.size() - 1, UnitFit(), &textures, W, 0, H, colour));
        spans.Apply(spanned, from);
        for (int y = 0; y < rows; ++y)
            ASSERT_EQ(std::memcmp(drawn->GetBits(y), spanned.GetBits(y), 3 * W), 0)
                << "seed " << seed << " band " << band << " row " << y;
    }
    // A copy filled in white leaves a layer white: the copies are then drawn.
    mesh.lists[2].SetFillColour(0xFFFFFF);
    CShadowSpans white;
    EXPECT_FALSE(white.Build(mesh, mesh.lists.size() - 1, UnitFit(), &textures, W, 0, H, colour));
}

TEST(LinearBlending, ReflectionOfMidGreyAtHalfFadeOverWhite)
{
    auto target = MakePicture(8, 8, RGB(255, 255, 255));
    auto layer = MakePicture(8, 8, RGB(128, 128, 128));
    CBoundingBox box;
    box.Add(0, 0);
    box.Add(7, 7);
    // Both fades 128: every row keeps 12800 / 25500 of the picture.
    ASSERT_TRUE(BlendReflectionLayer(*layer, *target, 128, 128, false, box, 0, 0, true));
    const double keep = 12800.0 / 25500.0;
    EXPECT_NEAR(GetRValue(Get(*target, 3, 3)), 255 * Encode(keep + (1.0 - keep) * Decode(128 / 255.0)), 1.0); // 205, not 191
}

TEST(LinearBlending, OutlinePixelMixesWhiteAndABlackFaceInLinearLight)
{
    auto target = MakePicture(64, 16, RGB(255, 255, 255));
    auto surface = CRenderSurface::Create(*target);
    surface->SetFit(UnitFit());
    auto black = MakePicture(4, 4, RGB(0, 0, 0));
    CTextureSet textures;
    textures.SetPicture('F', black.get());
    CDrawOptions opt;
    opt.soften = true;
    // Pixel 60's sub-samples lie at 59.6 .. 60.4: the columns 59.6 and 59.8,
    // 10 of its 25, fall on the face, which ends at 59.9.
    CPolygon3D face = FlatFace(44.1, 0.1, 59.9, 15.9, 'F');
    surface->ClearSoftening();
    DrawPolygon(face, *surface, opt, &textures, nullptr);
    surface->ResolvePartialPixels(25, true);
    EXPECT_NEAR(GetRValue(Get(*target, 60, 8)), 255 * Encode(15.0 / 25.0), 1.0); // 205, not 153
}
