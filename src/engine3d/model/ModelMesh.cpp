#include "engine3d/model/ModelMesh.h"

#include "engine3d/geometry/AngleTable.h"

#include <algorithm>

std::size_t CModelMesh::GetPolygonCount() const noexcept
{
    std::size_t n = 0;
    for (const CPolygonList& l : lists) n += l.GetCount();
    return n;
}

void CModelMesh::Translate(double dx, double dy, double dz) noexcept
{
    for (CPolygonList& l : lists) l.Translate(dx, dy, dz);
}

void CModelMesh::Transform(const CMatrix3D& m) noexcept
{
    for (CPolygonList& l : lists) l.Transform(m);
}

void CModelMesh::Mirror() noexcept
{
    for (CPolygonList& l : lists) l.Mirror();
}

namespace {

template <typename F>
double Combine(const std::vector<CPolygonList>& lists, F pick, bool wantMin) noexcept
{
    bool any = false;
    double best = 0.0;
    for (const CPolygonList& l : lists) {
        if (l.IsEmpty()) continue;
        bool hasVertex = false;
        for (const CPolygon3D& p : l.polygons)
            if (!p.vertices.empty()) {
                hasVertex = true;
                break;
            }
        if (!hasVertex) continue;
        const double v = pick(l);
        if (!any || (wantMin ? v < best : v > best)) best = v;
        any = true;
    }
    return best;
}

} // namespace

double CModelMesh::LowestY() const noexcept
{
    return Combine(lists, [](const CPolygonList& l) { return l.LowestY(); }, true);
}

double CModelMesh::NearestZ() const noexcept
{
    return Combine(lists, [](const CPolygonList& l) { return l.NearestZ(); }, true);
}

double CModelMesh::FarthestZ() const noexcept
{
    return Combine(lists, [](const CPolygonList& l) { return l.FarthestZ(); }, false);
}

void CModelMesh::ProjectMesh(double f) noexcept
{
    for (CPolygonList& l : lists)
        for (CPolygon3D& p : l.polygons) {
            p.ComputePlane();
            for (CVertex3D& v : p.vertices) {
                const double zz = SafeDivisor(v.z);
                v.sx = f * v.x / zz;
                v.sy = f * v.y / zz;
            }
        }
}

CFitContext CModelMesh::FitToPicture(double S, double ox, double oy) noexcept
{
    return Fit(S, S, ox, oy, false);
}

CFitContext CModelMesh::FitToRectangle(double width, double height, double ox, double oy,
                                       std::size_t counted) noexcept
{
    return Fit(width, height, ox, oy, true, counted);
}

CFitContext CModelMesh::Fit(double Sx, double Sy, double ox, double oy, bool centreBoth, std::size_t counted) noexcept
{
    bool any = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (std::size_t i = 0; i < std::min(counted, lists.size()); ++i)
        for (const CPolygon3D& p : lists[i].polygons)
            for (const CVertex3D& v : p.vertices) {
                if (!any) {
                    minX = maxX = v.sx;
                    minY = maxY = v.sy;
                    any = true;
                    continue;
                }
                minX = std::min(minX, v.sx);
                maxX = std::max(maxX, v.sx);
                minY = std::min(minY, v.sy);
                maxY = std::max(maxY, v.sy);
            }
    double width = maxX - minX;
    double height = maxY - minY;
    if (width < 1e-7) width = 1e-7;
    if (height < 1e-7) height = 1e-7;
    const double kx = Sx / width;
    const double ky = Sy / height;
    const double scale = std::min(kx, ky);
    double offX = 0.0, offY = 0.0;
    if (kx > ky || centreBoth) offX = (Sx - scale * width) * 0.5;
    if (kx <= ky || centreBoth) offY = (Sy - scale * height) * 0.5;

    CFitContext fit;
    fit.scale = scale;
    fit.invScale = 1.0 / scale;
    fit.minX = minX;
    fit.minY = minY;
    fit.originX = offX + ox;
    fit.originY = offY + oy;

    for (CPolygonList& l : lists)
        for (CPolygon3D& p : l.polygons)
            for (CVertex3D& v : p.vertices) {
                v.sx = (v.sx - minX) * scale + fit.originX;
                v.sy = (v.sy - minY) * scale + fit.originY;
            }
    return fit;
}
