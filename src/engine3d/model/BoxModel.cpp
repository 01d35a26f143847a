// Box, book and binder kinds: a cuboid of W x H x D centred on the origin,
// with the CD-ROM square of the kinds with CD-ROM and the binder rings.
//
// Faces have their corners in the order top-left, bottom-left, bottom-right,
// top-right as seen from outside, so that the face picture stands upright.
// List order: ring arcs '1' and '2', the five faces (and the back face in the
// shadow source, or a printed back), the CD-ROM square (or its rim in the shadow source), then
// the ring arcs '3', which lie in front of the product.
#include "engine3d/geometry/AngleTable.h"
#include "engine3d/model/ModelBuilder.h"
#include "engine3d/model/RoundedBox.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxRings = 10000; // rings along the height at the finest spacing of 0.1 units
constexpr COLORREF kUnprintedBack = 0xFFFFFF;

CVertex3D V(double x, double y, double z) { return MakeVertex(x, y, z); }

struct CRingBand {
    double axisX = 0.0;  // the ring axis runs along y through (axisX, *, 0)
    double radius = 0.0;
    COLORREF colour = 0;
    BuildMode mode = BuildMode::Model;
    int step = 15; // degrees
};

// One arc of a ring from angle `from` to `to` (degrees, from +x towards +z),
// between heights y0 and y1: one outside quadrilateral per step and, in model
// mode, an inside one with the opposite winding.
void AddArc(CPolygonList& list, const CRingBand& band, int from, int to, double y0, double y1,
            char code)
{
    for (int a = from; a < to; a += band.step) {
        const int b = std::min(a + band.step, to);
        const double xa = band.axisX + band.radius * CosDeg(a), za = band.radius * SinDeg(a);
        const double xb = band.axisX + band.radius * CosDeg(b), zb = band.radius * SinDeg(b);
        CPolygon3D outside = CPolygon3D::Quad(V(xa, y1, za), V(xa, y0, za), V(xb, y0, zb),
                                              V(xb, y1, zb), code);
        outside.mapped = 0;
        if (band.mode == BuildMode::Model) {
            outside.outlineColour = band.colour;
            outside.fillColour = band.colour;
            CPolygon3D inside = CPolygon3D::Quad(V(xb, y1, zb), V(xb, y0, zb), V(xa, y0, za),
                                                 V(xa, y1, za), code);
            inside.mapped = 0;
            inside.outlineColour = band.colour;
            inside.fillColour = band.colour;
            list.Add(std::move(outside));
            list.Add(std::move(inside));
        } else {
            list.Add(std::move(outside));
        }
    }
}

} // namespace

double EdgeRadius(const CEngineSettings& settings, const CSolidSize& size) noexcept
{
    if (settings.edgeRadius <= 0) return 0.0;
    // At most 45 % of the thinnest side, so that every face keeps a flat middle.
    return std::min(static_cast<double>(settings.edgeRadius), 0.45 * std::min({size.W, size.H, size.D}));
}

int EdgeSteps(bool quality) noexcept { return quality ? 3 : 1; }

double DiscPlaneZ(const CModelDescription& desc) noexcept
{
    const CSolidSize s = SafeSize(desc.settings);
    const double front = -s.D / 2;
    const CEngineSettings& st = desc.settings;
    switch (st.cdPosition) {
    case 0: return front - 1.0; // in front of the box, clear of its front face
    case 1: return front;
    case 2: return front + st.pageFront * s.D / 100.0;
    case 3: return front + 50.0 * s.D / 100.0;
    case 4: return front + (st.pageFront + st.pagePages) * s.D / 100.0;
    case 5:
    default: return front + s.D;
    }
}

std::vector<double> RingPositions(const CModelDescription& desc)
{
    std::vector<double> rings;
    const CSolidSize s = SafeSize(desc.settings);
    // Ring height and gap in tenths of a unit; rings at least 0.1 high.
    const double w = std::max(desc.settings.binderParam1, 1) / 10.0;
    const double g = std::max(desc.settings.binderParam2, 0) / 10.0;
    for (double y = 2.0 - s.H / 2; y + w < s.H / 2 && static_cast<int>(rings.size()) < kMaxRings;
         y += w + g)
        rings.push_back(y);
    return rings;
}

namespace {

// The binder's rings around the spine edge (axis through x = -W/2, z = 0):
// none unless the product has a binding of ring type 1 or 2.
struct CRings {
    int type = 0;
    CRingBand band;
    std::vector<double> bottoms; // the height at which each ring starts
    double height = 0.0;         // of one ring
};

CRings PlanRings(const CModelDescription& desc, BuildMode mode, bool quality)
{
    const CEngineSettings& st = desc.settings;
    const CSolidSize s = SafeSize(st);
    CRings rings;
    rings.band.axisX = -s.W / 2;
    rings.band.radius = s.D / 2 * 1.414213562;
    rings.band.colour = st.binderColour;
    rings.band.mode = mode;
    rings.band.step = RingStep(quality);
    rings.height = std::max(st.binderParam1, 1) / 10.0;
    if (desc.hasBinding && (st.binderType == 1 || st.binderType == 2)) {
        rings.type = st.binderType;
        rings.bottoms = RingPositions(desc);
    }
    return rings;
}

// The arcs behind the product ('1', and '2' that runs over the spine): type 1
// has separate rings, type 2 one band the whole height of the spine.
void AddRingsBehind(CPolygonList& list, const CRings& rings, double halfHeight)
{
    if (rings.type == 0) return;
    for (double y : rings.bottoms) {
        AddArc(list, rings.band, 45, 135, y, y + rings.height, FaceCode::kRing1);
        if (rings.type == 1) AddArc(list, rings.band, 135, 225, y, y + rings.height, FaceCode::kRing2);
    }
    if (rings.type == 2) AddArc(list, rings.band, 135, 225, -halfHeight, halfHeight, FaceCode::kRing2);
}

// The arcs '3', in front of the product.
void AddRingsInFront(CPolygonList& list, const CRings& rings)
{
    if (rings.type == 0) return;
    for (double y : rings.bottoms) AddArc(list, rings.band, 225, 315, y, y + rings.height, FaceCode::kRing3);
}

// The five faces and the back, rounded at the edges when the settings ask.
void AddCuboid(CPolygonList& list, const CModelDescription& desc, BuildMode mode, bool quality)
{
    const CSolidSize s = SafeSize(desc.settings);
    const double w = s.W / 2, h = s.H / 2, d = s.D / 2;
    const char top = desc.hasPages ? FaceCode::kPagesTop : FaceCode::kTop;
    const char left = desc.hasPages ? (desc.pagesOnLeft ? FaceCode::kPagesLeft : FaceCode::kSpine)
                                    : FaceCode::kLeft;
    const char right = desc.hasPages ? FaceCode::kPagesRight : FaceCode::kRight;
    const char bottom = desc.hasPages ? FaceCode::kPagesBottom : FaceCode::kBottom;
    const CPolygon3D faces[] = {
        CPolygon3D::Quad(V(-w, h, -d), V(-w, -h, -d), V(w, -h, -d), V(w, h, -d), FaceCode::kFront),
        CPolygon3D::Quad(V(-w, h, d), V(-w, h, -d), V(w, h, -d), V(w, h, d), top),
        CPolygon3D::Quad(V(-w, h, d), V(-w, -h, d), V(-w, -h, -d), V(-w, h, -d), left),
        CPolygon3D::Quad(V(w, h, -d), V(w, -h, -d), V(w, -h, d), V(w, h, d), right),
        CPolygon3D::Quad(V(-w, -h, -d), V(-w, -h, d), V(w, -h, d), V(w, -h, -d), bottom),
    };
    // The back carries its own picture on products that have one; on the
    // others it is unprinted board, seen only when the product is turned
    // round. The shadow source closes the body with it.
    const bool printedBack = desc.hasBack && mode == BuildMode::Model;
    const CPolygon3D back = CPolygon3D::Quad(V(w, h, d), V(w, -h, d), V(-w, -h, d), V(-w, h, d),
                                             printedBack ? FaceCode::kBack : FaceCode::kFront);
    CPolygon3D board = back;
    board.faceCode = FaceCode::kNone;
    board.mapped = 0;
    board.fillColour = board.outlineColour = kUnprintedBack;
    const double radius = EdgeRadius(desc.settings, s);
    if (mode == BuildMode::Model && radius > 0.0) {
        // Unprinted, the back's margins keep the look they always had where
        // the rounding turns away from the eye; its middle is board.
        for (const CPolygon3D& face : faces) AddRoundedFace(list, face, radius, EdgeSteps(quality), true);
        AddRoundedFace(list, back, radius, EdgeSteps(quality), printedBack);
        if (!printedBack) {
            CPolygonList middle;
            AddRoundedFace(middle, board, radius, EdgeSteps(quality), true);
            if (!middle.polygons.empty()) list.Add(std::move(middle.polygons.front()));
        }
    } else {
        for (const CPolygon3D& face : faces) list.Add(face);
        list.Add(mode == BuildMode::Model && !printedBack ? board : back);
    }
}

// The CD-ROM: centre on the right edge, 62 above the base; its square in the
// model, its rim in the shadow source.
void AddDisc(CPolygonList& list, const CModelDescription& desc, BuildMode mode, bool quality)
{
    const CSolidSize s = SafeSize(desc.settings);
    constexpr double R = kDiscRadius;
    const double cx = s.W / 2, cy = R - s.H / 2;
    const double z = DiscPlaneZ(desc);
    const bool inFront = desc.settings.cdPosition == 0;
    if (mode == BuildMode::Model) {
        const double x0 = inFront ? cx - R : cx;
        const double x1 = cx + R;
        list.Add(CPolygon3D::Quad(V(x0, cy + R, z), V(x0, cy - R, z), V(x1, cy - R, z),
                                  V(x1, cy + R, z), FaceCode::kDisc));
    } else {
        CPolygon3D rim;
        rim.mapped = 0;
        const int from = inFront ? -180 : -90;
        const int to = inFront ? 180 : 90;
        const int step = DiscStep(quality);
        for (int a = from; a <= to; a += step)
            rim.vertices.push_back(V(cx + R * CosDeg(a), cy + R * SinDeg(a), z));
        list.Add(std::move(rim));
    }
}

} // namespace

CPolygonList BuildSolidList(const CModelDescription& desc, BuildMode mode, bool quality)
{
    CPolygonList list;
    const CRings rings = PlanRings(desc, mode, quality);
    AddRingsBehind(list, rings, SafeSize(desc.settings).H / 2);
    AddCuboid(list, desc, mode, quality);
    if (desc.hasCDROM) AddDisc(list, desc, mode, quality);
    AddRingsInFront(list, rings);
    return list;
}
