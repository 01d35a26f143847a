// Cards: one face in the plane z = 0, no depth and no back face; the
// shadow source is the same face. A card with a depth (new cards store the
// thickness of card stock) is drawn with its front at z = -D/2 and its edge
// all round, following the rounded corners of the rounded card.
#include "engine3d/geometry/AngleTable.h"
#include "engine3d/model/ModelBuilder.h"

#include <algorithm>

namespace {

// The edge of a card: the core of white card stock.
constexpr COLORREF kCardEdgeColour = 0xEEF0F0;

// The card's outline at z = 0, clockwise as seen from the front, starting at
// the top-left corner's end of the top edge: corner arcs of radius `r` (a
// single point each when r is 0) every `step` degrees.
std::vector<CVertex3D> Outline(double w, double h, double r, int step)
{
    struct Corner {
        double cx, cy;
        int from; // degrees; each arc runs 90 degrees clockwise from here
    };
    const Corner corners[] = {{w - r, h - r, 90}, {w - r, -h + r, 0}, {-w + r, -h + r, -90}, {-w + r, h - r, 180}};
    std::vector<CVertex3D> points;
    for (const Corner& c : corners) {
        if (r <= 0.0) {
            points.push_back(MakeVertex(c.cx, c.cy, 0));
            continue;
        }
        for (int a = c.from; a >= c.from - 90; a -= step)
            points.push_back(MakeVertex(c.cx + r * CosDeg(a), c.cy + r * SinDeg(a), 0));
    }
    return points;
}

} // namespace

CPolygonList BuildCardList(const CModelDescription& desc, BuildMode mode, bool quality)
{
    const CSolidSize s = SafeSize(desc.settings);
    const double w = s.W / 2, h = s.H / 2;
    const double d = mode == BuildMode::Model ? std::min(s.D, 0.45 * std::min(s.W, s.H)) / 2 : 0.0;
    CPolygonList list;
    const CPolygon3D front = CPolygon3D::Quad(MakeVertex(-w, h, -d), MakeVertex(-w, -h, -d), MakeVertex(w, -h, -d),
                                              MakeVertex(w, h, -d), FaceCode::kFront);
    if (d <= 0.0) {
        list.Add(front);
        return list;
    }
    // The edge: a band between the front and the back plane along the outline,
    // each piece turned outwards (corners as the box faces: top-left,
    // bottom-left, bottom-right, top-right seen from outside). It is drawn
    // first, so that the front's softened outline blends with it.
    const double r = std::min<double>(desc.cornerRounding, std::min(w, h));
    const std::vector<CVertex3D> outline = Outline(w, h, r, DiscStep(quality));
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const CVertex3D& a = outline[i];
        const CVertex3D& b = outline[(i + 1) % outline.size()];
        if (a.x == b.x && a.y == b.y) continue;
        CPolygon3D piece = CPolygon3D::Quad(MakeVertex(a.x, a.y, -d), MakeVertex(b.x, b.y, -d),
                                            MakeVertex(b.x, b.y, d), MakeVertex(a.x, a.y, d), FaceCode::kNone);
        piece.mapped = 0;
        piece.fillColour = kCardEdgeColour;
        piece.outlineColour = kCardEdgeColour;
        list.Add(std::move(piece));
    }
    list.Add(front);
    return list;
}
