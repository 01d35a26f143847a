// The solids of the product kinds: faces and their corner order, the shadow
// source, the CD-ROM square and rim, binder rings, cards and the CD kind.
#include "EngineTestUtil.h"

#include "engine3d/model/ModelBuilder.h"
#include "engine3d/surface/ModelRenderer.h"

namespace {

CModelDescription BoxDesc(double W, double H, double D)
{
    CModelDescription s;
    s.shape = ModelShape::Solid;
    s.settings.width = W;
    s.settings.height = H;
    s.settings.depth = D;
    return s;
}

CModelDescription BookCD(int cdPosition)
{
    CModelDescription s = BoxDesc(124, 176, 50);
    s.hasPages = true;
    s.hasCDROM = true;
    s.cdPositionTest = cdPosition != 0;
    s.settings.cdPosition = cdPosition;
    return s;
}

CModelDescription Binder(int type, double H)
{
    CModelDescription s = BoxDesc(210, H, 27);
    s.hasPages = true;
    s.pagesOnLeft = true;
    s.hasBinding = true;
    s.settings.binderType = type;
    s.settings.binderColour = RGB(9, 8, 7);
    return s;
}

std::string Codes(const CPolygonList& l)
{
    std::string s;
    for (const CPolygon3D& p : l.polygons) s += p.faceCode ? p.faceCode : '0';
    return s;
}

bool Same(const CVertex3D& v, double x, double y, double z)
{
    return std::abs(v.x - x) < 1e-9 && std::abs(v.y - y) < 1e-9 && std::abs(v.z - z) < 1e-9;
}

} // namespace

TEST(SolidModel, CuboidFacesCodesAndCornerOrder)
{
    const double W = 202, H = 261, D = 50, w = W / 2, h = H / 2, d = D / 2;
    CModelDescription box = BoxDesc(W, H, D);
    CPolygonList model = BuildSolidList(box, BuildMode::Model, true);
    EXPECT_EQ(Codes(model), "FULRD0") << "an unprinted back closes the body";
    const CPolygon3D& f = model[0]; // top-left, bottom-left, bottom-right, top-right
    EXPECT_TRUE(Same(f.vertices[0], -w, h, -d) && Same(f.vertices[1], -w, -h, -d) && Same(f.vertices[2], w, -h, -d) &&
                Same(f.vertices[3], w, h, -d));
    EXPECT_TRUE(Same(model[1].vertices[0], -w, h, d) && Same(model[2].vertices[2], -w, -h, -d) &&
                Same(model[3].vertices[2], w, -h, d) && Same(model[4].vertices[1], -w, -h, d));

    CPolygonList shadow = BuildSolidList(box, BuildMode::Shadow, true);
    EXPECT_EQ(Codes(shadow), "FULRDF") << "the back face exists only in the shadow source";
    EXPECT_TRUE(Same(shadow[5].vertices[0], w, h, d) && Same(shadow[5].vertices[3], -w, h, d));
    // A printed back is the shadow's back face carrying its own picture.
    box.hasBack = true;
    const CPolygonList backed = BuildSolidList(box, BuildMode::Model, true);
    EXPECT_EQ(Codes(backed), "FULRDB");
    EXPECT_TRUE(Same(backed[5].vertices[0], w, h, d)) << "top-left seen from behind";
    EXPECT_TRUE(Same(backed[5].vertices[2], -w, -h, d)) << "bottom-right seen from behind";
    EXPECT_EQ(Codes(BuildSolidList(box, BuildMode::Shadow, true)), "FULRDF");

    CModelDescription book = BoxDesc(W, H, D);
    book.hasPages = true;
    EXPECT_EQ(Codes(BuildSolidList(book, BuildMode::Model, true)), "FuSrd0");
    book.pagesOnLeft = true;
    EXPECT_EQ(Codes(BuildSolidList(book, BuildMode::Model, true)), "Fulrd0");
}

TEST(SolidModel, EveryFaceIsSeenFromOutside)
{
    // Straight on, eye in front of the middle of the front face: with the eye at
    // the origin, only the front shows its outside (d > 0); the other four are
    // seen edge-on or from inside.
    CModelDescription box = BoxDesc(40, 60, 20);
    CPolygonList model = BuildSolidList(box, BuildMode::Model, true);
    model.Translate(0, 0, 100);
    for (CPolygon3D& p : model.polygons) p.ComputePlane();
    // Seen from far to the upper right, the top and the right show their outsides too.
    CPolygonList turned = BuildSolidList(box, BuildMode::Model, true);
    turned.Translate(-200, -200, 100);
    for (CPolygon3D& p : turned.polygons) p.ComputePlane();
    const auto outside = [](const CPolygonList& l) { // front, top, left, right, bottom
        std::string seen;
        for (std::size_t i = 0; i < 5; ++i) seen += l[i].d > 0 ? '+' : l[i].d < 0 ? '-' : '0';
        return seen;
    };
    EXPECT_EQ(std::pair(outside(model), outside(turned)), std::pair(std::string("+----"), std::string("++-+-")));
}

TEST(SolidModel, DiscPlaneDepthForEachPosition)
{
    // Page Depth 10 / 80 / 10 of D = 50: the front plane is z = -25.
    struct Case {
        int position;
        double z;
    } cases[] = {{1, -25}, {2, -25 + 5}, {3, -25 + 25}, {4, -25 + 45}, {5, -25 + 50}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(DiscPlaneZ(BookCD(c.position)), c.z) << c.position;
    EXPECT_LT(DiscPlaneZ(BookCD(0)), -25) << "in front of the box";
    CModelDescription odd = BookCD(3);
    odd.settings.pageFront = 20;
    odd.settings.pagePages = 60;
    EXPECT_DOUBLE_EQ(DiscPlaneZ(odd), 0) << "Middle is half the depth whatever the pages";
    odd.settings.cdPosition = 4;
    EXPECT_DOUBLE_EQ(DiscPlaneZ(odd), -25 + 40);
}

TEST(SolidModel, DiscSquareAndRim)
{
    const double w = 62, base = -88; // W/2 and -H/2 of the 124 x 176 book
    // Inside: the right half of the disc, from the centre on the right edge.
    CPolygonList inside = BuildSolidList(BookCD(3), BuildMode::Model, true);
    ASSERT_EQ(Codes(inside), "FuSrd0C");
    const CPolygon3D& sq = inside[6];
    EXPECT_TRUE(Same(sq.vertices[0], w, base + 124, 0) && Same(sq.vertices[1], w, base, 0) && Same(sq.vertices[2], w + 62, base, 0));
    EXPECT_EQ(sq.mapped, 1);
    // In front: the whole disc, 124 wide, centred on the right edge.
    CPolygonList front = BuildSolidList(BookCD(0), BuildMode::Model, true);
    EXPECT_EQ(std::pair(front[6].vertices[0].x, front[6].vertices[2].x), std::pair(w - 62, w + 62));

    // Shadow mode: a rim polygon, one point per step, full or half circle.
    struct Case {
        int position;
        bool quality;
        std::size_t points;
    } cases[] = {{0, true, 181}, {0, false, 37}, {3, true, 91}, {3, false, 19}};
    for (const Case& c : cases) {
        CPolygonList s = BuildSolidList(BookCD(c.position), BuildMode::Shadow, c.quality);
        ASSERT_EQ(Codes(s), "FuSrdF0");
        const CPolygon3D& rim = s[6];
        EXPECT_EQ(rim.vertices.size(), c.points) << c.position << (c.quality ? " fine" : " coarse");
        EXPECT_EQ(rim.mapped, 0);
        for (const CVertex3D& v : rim.vertices)
            EXPECT_NEAR(std::hypot(v.x - w, v.y - (base + 62)), 62, 1e-9);
        if (c.position != 0) {
            for (const CVertex3D& v : rim.vertices) EXPECT_GE(v.x, w - 1e-9) << "only the half outside";
        }
    }
}

TEST(SolidModel, SpiralRingsCountsAndPositions)
{
    // Height 297, ring 5 high with gaps of 7: rings from 2 - 148.5 every 12
    // while the top stays below 148.5: y = -146.5 + 12 n, n = 0 .. 24.
    CModelDescription spiral = Binder(1, 297);
    const std::vector<double> rings = RingPositions(spiral);
    ASSERT_EQ(rings.size(), 25u);
    for (std::size_t n = 0; n < rings.size(); ++n) EXPECT_NEAR(rings[n], -146.5 + 12.0 * n, 1e-9);

    CPolygonList model = BuildSolidList(spiral, BuildMode::Model, true);
    // Per ring: arcs of 90 degrees in steps of 15 = 6 steps, each an outside and an inside quad.
    const std::string codes = Codes(model);
    EXPECT_EQ(std::tuple(std::ranges::count(codes, '1'), std::ranges::count(codes, '2'), std::ranges::count(codes, '3')),
              std::tuple(25 * 12, 25 * 12, 25 * 12));
    // Order: '1' and '2' arcs, the faces, then the '3' arcs.
    EXPECT_EQ(codes.substr(25 * 24, 6), "Fulrd0");
    EXPECT_EQ(codes.find('3'), std::size_t(25 * 24 + 6));
    EXPECT_EQ(codes.find_first_not_of('3', 25 * 24 + 6), std::string::npos);

    // The band lies on the circle of radius D/2 sqrt 2 around the spine edge and
    // enters the covers at x = -W/2 + D/2.
    const double R = 13.5 * std::sqrt(2.0);
    for (const CPolygon3D& p : model.polygons) {
        if (p.faceCode < '1' || p.faceCode > '3') continue;
        for (const CVertex3D& v : p.vertices) EXPECT_NEAR(std::hypot(v.x + 105, v.z), R, 1e-6);
        EXPECT_EQ(p.mapped, 0);
        EXPECT_EQ(p.fillColour, RGB(9, 8, 7));
    }
    const CPolygon3D& first = model[0]; // first step of arc '1' at 45 degrees
    EXPECT_NEAR(first.vertices[0].x, -105 + 13.5, 1e-6);
    EXPECT_NEAR(first.vertices[0].z, 13.5, 1e-6);
    EXPECT_EQ(std::pair(first.vertices[0].y, first.vertices[1].y), std::pair(-141.5, -146.5));

    // The coarse tessellation has 2 steps per arc; the shadow source no inside quads and no colours.
    CPolygonList coarse = BuildSolidList(spiral, BuildMode::Shadow, false);
    const std::string cc = Codes(coarse);
    EXPECT_EQ(std::count(cc.begin(), cc.end(), '1'), 25 * 2);
    for (const CPolygon3D& p : coarse.polygons)
        EXPECT_TRUE(p.faceCode != '1' || p.fillColour == 0x808080u);
}

TEST(SolidModel, CombRingsAndNone)
{
    CModelDescription comb = Binder(2, 297);
    CPolygonList l = BuildSolidList(comb, BuildMode::Model, true);
    const std::string codes = Codes(l); // teeth '1' and '3' on every ring, one spine arc '2'
    EXPECT_EQ(std::tuple(std::ranges::count(codes, '1'), std::ranges::count(codes, '3'), std::ranges::count(codes, '2')),
              std::tuple(25 * 12, 25 * 12, 12));
    for (const CPolygon3D& p : l.polygons)
        if (p.faceCode == '2') {
            EXPECT_DOUBLE_EQ(p.vertices[0].y, 148.5);
            EXPECT_DOUBLE_EQ(p.vertices[1].y, -148.5);
        }
    EXPECT_EQ(Codes(BuildSolidList(Binder(0, 297), BuildMode::Model, true)), "Fulrd0");
    // Ring parameters that would never advance still end.
    CModelDescription bad = Binder(1, 297);
    bad.settings.binderParam1 = 0;
    bad.settings.binderParam2 = -5;
    EXPECT_LE(RingPositions(bad).size(), 10000u);
    EXPECT_GT(RingPositions(bad).size(), 0u);
}

TEST(CardAndDisc, Geometry)
{
    CModelDescription card = BoxDesc(86, 54, 0);
    card.shape = ModelShape::Card;
    CPolygonList m = BuildCardList(card, BuildMode::Model, true);
    ASSERT_EQ(Codes(m), "F");
    EXPECT_TRUE(Same(m[0].vertices[0], -43, 27, 0) && Same(m[0].vertices[2], 43, -27, 0));
    EXPECT_EQ(Codes(BuildCardList(card, BuildMode::Shadow, true)), "F");

    card.cornerRounding = 3;
    CTextureSet set;
    PrepareTextureSet(card, set);
    EXPECT_EQ(std::tuple(set.cornerRadius, set.faceWidth, set.faceHeight, GetFaceCodes(card)), std::tuple(3, 86, 54, "F"));

    CModelDescription cd;
    cd.shape = ModelShape::Disc;
    CPolygonList disc = BuildDiscList(cd, BuildMode::Model, true);
    ASSERT_EQ(Codes(disc), "C");
    EXPECT_TRUE(Same(disc[0].vertices[0], -62, 62, 0) && Same(disc[0].vertices[2], 62, -62, 0));
    const std::size_t fine = BuildDiscList(cd, BuildMode::Shadow, true)[0].vertices.size();
    EXPECT_EQ(std::tuple(fine, BuildDiscList(cd, BuildMode::Shadow, false)[0].vertices.size()), std::tuple(181u, 37u));
    EXPECT_EQ(GetFaceCodes(cd), "C");
}

TEST(CardAndDisc, DiscFacingTheViewerRestsOnItsRim)
{
    CModelDescription cd;
    cd.shape = ModelShape::Disc;
    cd.settings.xRotation = 0;
    cd.settings.yRotation = 30;
    cd.settings.zRotation = 0;
    cd.settings.aboveTable = 15;
    CPolygonList model, shadow;
    BuildModelLists(cd, true, model, shadow);
    // Turned about y only, the disc stays upright: the rim touches y = Above Table.
    EXPECT_NEAR(shadow.LowestY(), 15, 1e-9);
    EXPECT_NEAR(model.LowestY(), 15, 1e-9) << "the square's lower edge is the rim's tangent";
    cd.settings.xRotation = 40;
    BuildModelLists(cd, true, model, shadow);
    EXPECT_NEAR(shadow.LowestY(), 15, 1e-9) << "a rim point at -90 degrees is the lowest";
    cd.settings.zRotation = 30; // turned in its own plane the square's corners dip below
    BuildModelLists(cd, true, model, shadow);
    EXPECT_NEAR(shadow.LowestY(), 15, 0.05) << "rim points every 2 degrees";
    EXPECT_LT(model.LowestY(), 15) << "the square's corners reach below the rim";
}

TEST(ModelMesh, ListsInOrderWithShadowsAndReflection)
{
    CModelDescription box = BoxDesc(202, 261, 50);
    box.settings.reflection = true;
    box.settings.shadowStyle = 3;
    CModelMesh mesh = BuildModelMesh(box, true);
    ASSERT_EQ(mesh.lists.size(), 1u + 16u + 1u);
    // The model, then shadow copies of the closed body, the mirrored reflection last.
    EXPECT_EQ(std::tuple(Codes(mesh.lists[0]), Codes(mesh.lists[1]), mesh.lists[17][0].mirrored), std::tuple("FULRD0", "000000", 1));
    CProductModel pm;
    pm.Build(box, true);
    // Standing on the table; the nearest point at 1, then the observer distance.
    EXPECT_TRUE(std::abs(mesh.lists[0].LowestY()) < 1e-9 && std::abs(pm.GetMesh().NearestZ() - 501) < 1e-9);
    // Its fit into the picture: FitToPicture.LongerExtentFillsTheSquareOtherIsCentred, Framing.*.
}

TEST(ModelMesh, HostileDimensionsStayFinite)
{
    CModelDescription box = BoxDesc(std::nan(""), -5, 1e300);
    CModelMesh mesh = BuildModelMesh(box, false);
    for (const CPolygonList& l : mesh.lists)
        for (const CPolygon3D& p : l.polygons)
            for (const CVertex3D& v : p.vertices) ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}
