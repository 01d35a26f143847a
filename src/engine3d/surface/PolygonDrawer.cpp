#include "engine3d/surface/PolygonDrawer.h"

#include <algorithm>
#include <cmath>

namespace {

// Picture coordinate rounded to the nearest integer, kept in a range where
// the scan walk cannot overflow (the fitted model lies well inside it).
inline int RoundCoordinate(double v) noexcept
{
    constexpr double kLimit = 1 << 24;
    if (!(v > -kLimit)) return -(1 << 24); // also NaN
    if (v > kLimit) return 1 << 24;
    return static_cast<int>(std::lround(v));
}

int PassOf(const CPolygon3D& decider) noexcept
{
    if (!decider.mirrored) return decider.d < 0.0 ? 2 : 4;
    return decider.d > 0.0 ? 2 : 4;
}

} // namespace

void AssignDrawPasses(CPolygonList& list) noexcept
{
    const CPolygon3D* discDecider = nullptr;
    const CPolygon3D* ringDecider = nullptr;
    for (const CPolygon3D& p : list.polygons) {
        if (!discDecider && (p.faceCode == 'R' || p.faceCode == 'r')) discDecider = &p;
        if (!ringDecider && (p.faceCode == 'L' || p.faceCode == '1' || p.faceCode == 'S'))
            ringDecider = &p;
    }
    const int discPass = discDecider ? PassOf(*discDecider) : 3;
    const int ringPass = ringDecider ? PassOf(*ringDecider) : 3;
    for (CPolygon3D& p : list.polygons) {
        if (p.faceCode == 'C')
            p.drawPass = discPass;
        else if (p.faceCode == '2')
            p.drawPass = ringPass;
        else
            p.drawPass = 3;
    }
}

void DrawPolygon(CPolygon3D& polygon, CRenderSurface& surface, const CDrawOptions& options,
                 const CTextureSet* textures, CBoundingBox* box)
{
    const std::size_t n = polygon.vertices.size();
    if (n < 2) return;
    const bool culled = options.cull && polygon.IsBackFacing();

    auto px = [&](std::size_t i) { return RoundCoordinate(polygon.vertices[i].sx); };
    auto py = [&](std::size_t i) { return RoundCoordinate(polygon.vertices[i].sy); };

    if (n == 4 && options.textured && !IsUntexturedCode(polygon.faceCode)) {
        if (culled) return;
        surface.DrawTexturedQuad(px(0), py(0), px(1), py(1), px(2), py(2), px(3), py(3), textures,
                                 polygon.faceCode, polygon, box, options.sampleCount, options.soften);
        return;
    }
    if (n == 2) {
        surface.DrawLine(polygon.outlineColour, px(1), py(1), px(0), py(0), box);
        return;
    }
    if (culled) return;
    if (polygon.filled) {
        const int h = surface.BeginPolygon();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            surface.AddEdge(h, px(i), py(i), px(j), py(j));
        }
        surface.FillPolygon(h, polygon.fillColour, options.textured ? textures : nullptr,
                            polygon.faceCode, polygon);
        surface.EndPolygon(h, box);
    }
    const bool edges = (polygon.filled || !options.textured) &&
                       (polygon.outlined ||
                        (!options.textured && polygon.outlineColour != polygon.fillColour));
    if (edges) {
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = (i + 1) % n;
            surface.DrawLine(polygon.outlineColour, px(i), py(i), px(j), py(j), box);
        }
    }
}

void DrawPolygonList(CPolygonList& list, CRenderSurface& surface, const CDrawOptions& options,
                     const CTextureSet* textures, CProgressCounter* progress, CBoundingBox* box)
{
    if (!options.ordered) {
        for (CPolygon3D& p : list.polygons) {
            DrawPolygon(p, surface, options, textures, box);
            if (progress) progress->Advance();
        }
        return;
    }
    AssignDrawPasses(list);
    for (int pass = 1; pass <= 5; ++pass)
        for (CPolygon3D& p : list.polygons) {
            if (p.drawPass != pass) continue;
            DrawPolygon(p, surface, options, textures, box);
            if (progress) progress->Advance();
        }
}
