#include "engine3d/geometry/PolygonList.h"

#include <algorithm>
#include <limits>

void CPolygonList::Translate(double dx, double dy, double dz) noexcept
{
    for (CPolygon3D& p : polygons)
        for (CVertex3D& v : p.vertices) {
            v.x += dx;
            v.y += dy;
            v.z += dz;
        }
}

void CPolygonList::Transform(const CMatrix3D& m) noexcept
{
    for (CPolygon3D& p : polygons)
        for (CVertex3D& v : p.vertices) m.Apply(v);
}

void CPolygonList::Mirror() noexcept
{
    for (CPolygon3D& p : polygons) {
        for (CVertex3D& v : p.vertices) v.y = -v.y;
        p.mirrored = p.mirrored ? 0 : 1;
    }
}

namespace {

template <typename Get, typename Better>
double Extreme(const std::vector<CPolygon3D>& polygons, Get get, Better better) noexcept
{
    bool any = false;
    double best = 0.0;
    for (const CPolygon3D& p : polygons)
        for (const CVertex3D& v : p.vertices) {
            const double value = get(v);
            if (!any || better(value, best)) {
                best = value;
                any = true;
            }
        }
    return best;
}

} // namespace

double CPolygonList::LowestY() const noexcept
{
    return Extreme(polygons, [](const CVertex3D& v) { return v.y; }, std::less<double>());
}

double CPolygonList::NearestZ() const noexcept
{
    return Extreme(polygons, [](const CVertex3D& v) { return v.z; }, std::less<double>());
}

double CPolygonList::FarthestZ() const noexcept
{
    return Extreme(polygons, [](const CVertex3D& v) { return v.z; }, std::greater<double>());
}

void CPolygonList::SetColours(COLORREF outline, COLORREF fill) noexcept
{
    for (CPolygon3D& p : polygons) {
        p.outlineColour = outline;
        p.fillColour = fill;
    }
}

void CPolygonList::SetFillColour(COLORREF fill) noexcept
{
    for (CPolygon3D& p : polygons) p.fillColour = fill;
}

void CPolygonList::SetFaceCode(char code) noexcept
{
    for (CPolygon3D& p : polygons) p.faceCode = code;
}

void CPolygonList::ShearOntoFloor(double a, double b, double c, double d) noexcept
{
    for (CPolygon3D& p : polygons)
        for (CVertex3D& v : p.vertices) {
            v.x = v.x + a * v.y + c;
            v.z = v.z + b * v.y + d;
            v.y = 0.0;
        }
}

void CPolygonList::ProjectOntoWall(double P, double a, double b, double c, double d) noexcept
{
    for (CPolygon3D& p : polygons)
        for (CVertex3D& v : p.vertices) {
            const double t = P - v.z;
            v.x = v.x + t * a + c;
            v.y = v.y + t * b + d;
            v.z = P;
        }
}
