// Angle tables, matrices, planes, placement on the table, camera, projection
// and the fit into the picture.
#include "EngineTestUtil.h"

#include "engine3d/geometry/AngleTable.h"
#include "engine3d/surface/EngineSettings.h"
#include "engine3d/geometry/Matrix3D.h"
#include "engine3d/model/ModelMesh.h"
#include "engine3d/geometry/Placement.h"

#include <numbers>

namespace {

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
