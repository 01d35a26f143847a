// The solids of the product kinds: faces and their corner order, the shadow
// source, the CD-ROM square and rim, binder rings, cards and the CD kind;
// angle tables, matrices, planes, placement on the table, camera, projection
// and the fit into the picture.
#include "EngineTestUtil.h"

#include "engine3d/geometry/AngleTable.h"
#include "engine3d/geometry/Matrix3D.h"
#include "engine3d/geometry/Placement.h"
#include "engine3d/model/ModelBuilder.h"
#include "engine3d/model/ModelMesh.h"
#include "engine3d/surface/EngineSettings.h"
#include "engine3d/surface/ModelRenderer.h"

#include <numbers>

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

CEngineSettings NoRotation()
{
    CEngineSettings s;
    s.xRotation = s.yRotation = s.zRotation = 0;
    return s;
}

CPolygonList BoxCorners(double w, double h, double d)
{
    CPolygonList l;
    CPolygon3D p;
    for (int i = 0; i < 8; ++i)
        p.vertices.push_back(MakeVertex((i & 1) ? w / 2 : -w / 2, (i & 2) ? h / 2 : -h / 2,
                                        (i & 4) ? d / 2 : -d / 2));
    l.Add(p);
    return l;
}

// A mesh of one polygon whose corners are the picture points (sx, sy).
CModelMesh ScreenMesh(std::initializer_list<std::pair<double, double>> points)
{
    CPolygon3D p;
    for (auto [x, y] : points) {
        CVertex3D v;
        v.sx = x;
        v.sy = y;
        p.vertices.push_back(v);
    }
    CModelMesh mesh;
    mesh.lists.emplace_back().Add(p);
    return mesh;
}

void ExpectNear(double x, double y, double z, double ex, double ey, double ez, const char* what)
{
    EXPECT_NEAR(x, ex, 1e-12) << what;
    EXPECT_NEAR(y, ey, 1e-12) << what;
    EXPECT_NEAR(z, ez, 1e-12) << what;
}

// Corner by corner within 1e-12.
void ExpectSameCorners(const CPolygonList& a, const CPolygonList& b, const char* what)
{
    for (std::size_t i = 0; i < a[0].vertices.size(); ++i) {
        const CVertex3D &u = a[0].vertices[i], &v = b[0].vertices[i];
        ExpectNear(u.x, u.y, u.z, v.x, v.y, v.z, what);
    }
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

TEST(AngleTables, SignRuleAndPeriod)
{
    const double d2r = std::numbers::pi / 180.0;
    EXPECT_DOUBLE_EQ(SinDeg(30), std::sin(30 * d2r));
    EXPECT_DOUBLE_EQ(SinDeg(-30), -std::sin(30 * d2r));
    EXPECT_DOUBLE_EQ(CosDeg(-30), std::cos(30 * d2r));
    EXPECT_EQ(std::pair(SinDeg(360), CosDeg(360)), std::pair(0.0, 1.0));
    EXPECT_DOUBLE_EQ(SinDeg(390), SinDeg(30));
    // |a| mod 360 with the sign of a: -390 degrees is the sine of 30 negated.
    EXPECT_DOUBLE_EQ(SinDeg(-390), -std::sin(30 * d2r));
    EXPECT_DOUBLE_EQ(CosDeg(-400), std::cos(40 * d2r));
    EXPECT_EQ(std::pair(SafeDivisor(0.0), SafeDivisor(-2.5)), std::pair(1e-10, -2.5));
    EXPECT_DOUBLE_EQ(RadiansToDegrees(std::numbers::pi / 2), 90.0);
}

TEST(Matrix3D, RotationsFollowTheRowVectorFormulas)
{
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    double x = 1, y = 2, z = 3;
    CMatrix3D::RotationX(30).Apply(x, y, z);
    ExpectNear(x, y, z, 1, c * 2 - s * 3, s * 2 + c * 3, "x");
    x = 1, y = 2, z = 3;
    CMatrix3D::RotationY(30).Apply(x, y, z);
    ExpectNear(x, y, z, c * 1 + s * 3, 2, -s * 1 + c * 3, "y");
    x = 1, y = 2, z = 3;
    CMatrix3D::RotationZ(30).Apply(x, y, z);
    ExpectNear(x, y, z, c * 1 - s * 2, s * 1 + c * 2, 3, "z");
    // The translation row is added; the fourth column is ignored.
    CMatrix3D t;
    t.m[3][0] = 5;
    t.m[3][1] = -1;
    t.m[3][2] = 2;
    t.m[0][3] = 99;
    x = 1, y = 1, z = 1;
    t.Apply(x, y, z);
    ExpectNear(x, y, z, 6, 0, 3, "translation");
}

TEST(Polygon3D, PlaneSignTellsWhichSideTheEyeSees)
{
    // A face at z = 10 whose corners run anticlockwise as the eye sees them.
    CPolygon3D p = CPolygon3D::Quad(MakeVertex(-1, 1, 10), MakeVertex(-1, -1, 10),
                                    MakeVertex(1, -1, 10), MakeVertex(1, 1, 10), 'F');
    p.ComputePlane();
    // u = p0 - p1 = (0, 2, 0), w = p0 - p2 = (-2, 2, 0), n = u x w = (0, 0, 4), d = 40.
    ExpectNear(p.nx, p.ny, p.nz, 0, 0, 4, "normal");
    const bool seen = !p.IsBackFacing();
    p.mirrored = 1;
    EXPECT_EQ(std::tuple(p.d, seen, p.IsBackFacing()), std::tuple(40.0, true, true));

    CPolygon3D line;
    line.vertices = {MakeVertex(0, 0, 1), MakeVertex(1, 1, 1)};
    line.d = 7;
    line.ComputePlane(); // fewer than 3 vertices: untouched
    EXPECT_EQ(line.d, 7);
}

TEST(PolygonList, MirrorExtremesAndCopies)
{
    CPolygonList l = BoxCorners(2, 4, 6);
    EXPECT_EQ((std::vector{l.LowestY(), l.NearestZ(), l.FarthestZ()}), (std::vector{-2.0, -3.0, 3.0}));
    CPolygonList copy = l;
    copy.Translate(0, 10, 0);
    EXPECT_DOUBLE_EQ(l.LowestY(), -2) << "copies do not share vertices";
    copy.Mirror();
    EXPECT_EQ(std::pair(copy.LowestY(), copy[0].mirrored), std::pair(-12.0, 1));
    copy.Mirror();
    EXPECT_EQ(copy[0].mirrored, 0);
    EXPECT_DOUBLE_EQ(CPolygonList().LowestY(), 0);
}

TEST(PlaceOnTable, RotationsAndTablePositions)
{
    CEngineSettings s = NoRotation();
    s.aboveTable = 20;
    CPolygonList l = BoxCorners(10, 30, 4);
    PlaceOnTable(l, s, false);
    EXPECT_DOUBLE_EQ(l.LowestY(), 20) << "floats Above Table over the horizontal table";
    EXPECT_DOUBLE_EQ(l[0].vertices[0].x, -5) << "no rotation";

    s.tablePosition = 1;
    CPolygonList w = BoxCorners(10, 30, 4);
    PlaceOnTable(w, s, false);
    EXPECT_DOUBLE_EQ(w.LowestY(), 0) << "stands on y = 0 whatever Above Table says";

    // 360 degrees is the same as 0; -30 turns the other way.
    CEngineSettings a = NoRotation(), b = NoRotation();
    a.yRotation = 360;
    CPolygonList la = BoxCorners(10, 30, 4), lb = BoxCorners(10, 30, 4);
    PlaceOnTable(la, a, false);
    PlaceOnTable(lb, b, false);
    ExpectSameCorners(la, lb, "360 degrees");

    // The order is X, then Y, then Z: compare with applying the matrices by hand.
    CEngineSettings r = NoRotation();
    r.xRotation = 10;
    r.yRotation = -25;
    r.zRotation = 15;
    CPolygonList lr = BoxCorners(10, 30, 4);
    PlaceOnTable(lr, r, false);
    CPolygonList ref = BoxCorners(10, 30, 4);
    ref.Transform(CMatrix3D::RotationX(10));
    ref.Transform(CMatrix3D::RotationY(-25));
    ref.Transform(CMatrix3D::RotationZ(15));
    ref.Translate(0, -ref.LowestY(), 0);
    ExpectSameCorners(lr, ref, "X, Y, Z");
}

// The disc's lowest rim point under a tilt: CardAndDisc.DiscFacingTheViewerRestsOnItsRim.

TEST(Camera, NearestPointAndObserver)
{
    CModelMesh mesh;
    mesh.lists.push_back(BoxCorners(10, 30, 4));
    CEngineSettings s = NoRotation();
    s.observerX = 7;
    s.observerY = 3;
    s.observerDistance = 500;
    PositionCamera(mesh, s);
    // Nearest z: -2 -> 1, then + 500.
    const CVertex3D& corner = mesh.lists[0][0].vertices[0];
    EXPECT_EQ((std::vector{mesh.NearestZ(), corner.x, corner.y}), (std::vector{501.0, -5.0 - 7, -15.0 - 3}));

    // A negative observer distance keeps the nearest point at z = 1 in front of the eye.
    CModelMesh behind;
    behind.lists.push_back(BoxCorners(10, 30, 4));
    s.observerDistance = -800;
    PositionCamera(behind, s);
    EXPECT_DOUBLE_EQ(behind.NearestZ(), 1);
}

TEST(Projection, PinholeAndZeroDepth)
{
    CModelMesh mesh;
    CPolygonList l;
    CPolygon3D p;
    p.vertices = {MakeVertex(4, 6, 2), MakeVertex(1, 1, 0)};
    l.Add(p);
    mesh.lists.push_back(l);
    mesh.ProjectMesh(1.0);
    // x, y, z stay; a point at depth 0 goes far out.
    const CVertex3D &a = mesh.lists[0][0].vertices[0], &b = mesh.lists[0][0].vertices[1];
    EXPECT_EQ((std::vector{a.sx, a.sy, a.z, b.sx}), (std::vector{2.0, 3.0, 2.0, 1e10}));
}

TEST(FitToPicture, LongerExtentFillsTheSquareOtherIsCentred)
{
    CModelMesh mesh = ScreenMesh({{-2, 1}, {2, 3}});
    // width 4, height 2, S 100: scale 25, the height (50) is centred: offY = 25.
    const CFitContext fit = mesh.FitToPicture(100, 10, 20);
    EXPECT_EQ((std::vector{fit.scale, fit.originX, fit.originY}), (std::vector{25.0, 10.0, 45.0}));
    const CVertex3D& a = mesh.lists[0][0].vertices[0];
    const CVertex3D& b = mesh.lists[0][0].vertices[1];
    EXPECT_EQ(std::vector({a.sx, a.sy, b.sx, b.sy}), std::vector<double>({10, 45, 110, 95}));
    // PictureToModel undoes the fit.
    double qx, qy;
    fit.PictureToModel(b.sx, b.sy, qx, qy);
    EXPECT_TRUE(std::abs(qx - 2) < 1e-12 && std::abs(qy - 3) < 1e-12) << qx << "," << qy;
}

TEST(FitToPicture, DegenerateExtents)
{
    // A vertical line: zero width becomes 1e-7, the height decides the scale.
    CModelMesh mesh = ScreenMesh({{5, 0}, {5, 10}});
    CFitContext fit = mesh.FitToPicture(200, 0, 0);
    EXPECT_DOUBLE_EQ(fit.scale, 20);
    EXPECT_NEAR(mesh.lists[0][0].vertices[0].sx, 100, 1e-6) << "centred across";
    // A single point: both extents 1e-7.
    CModelMesh dot = ScreenMesh({{3, 4}});
    fit = dot.FitToPicture(50, 0, 0);
    EXPECT_TRUE(std::isfinite(fit.scale) && std::isfinite(dot.lists[0][0].vertices[0].sx));
}
