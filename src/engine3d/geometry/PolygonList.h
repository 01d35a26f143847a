#pragma once
// An ordered list of polygons with value semantics: copying copies every
// polygon and its vertices. Each operation applies to every vertex of every
// polygon.

#include "engine3d/geometry/Matrix3D.h"
#include "engine3d/geometry/Polygon3D.h"

#include <cstddef>
#include <vector>

class CPolygonList {
public:
    std::vector<CPolygon3D> polygons;

    std::size_t GetCount() const noexcept { return polygons.size(); }
    bool IsEmpty() const noexcept { return polygons.empty(); }
    void Add(CPolygon3D polygon) { polygons.push_back(std::move(polygon)); }
    CPolygon3D& operator[](std::size_t i) noexcept { return polygons[i]; }
    const CPolygon3D& operator[](std::size_t i) const noexcept { return polygons[i]; }

    void Translate(double dx, double dy, double dz) noexcept;
    void Transform(const CMatrix3D& m) noexcept;
    // y becomes -y and the mirrored flag of every polygon is toggled.
    void Mirror() noexcept;
    // Smallest y over all vertices (0 for an empty list).
    double LowestY() const noexcept;
    // Smallest / largest z over all vertices (0 for an empty list).
    double NearestZ() const noexcept;
    double FarthestZ() const noexcept;

    void SetColours(COLORREF outline, COLORREF fill) noexcept;
    void SetFillColour(COLORREF fill) noexcept;
    void SetFaceCode(char code) noexcept;

    // Shadow projections. Onto the floor y = 0 along a light that shears
    // a units of x and b units of z per unit of height, shifted by (c, d):
    //   x' = x + a*y + c, z' = z + b*y + d, y' = 0.
    void ShearOntoFloor(double a, double b, double c, double d) noexcept;
    // Onto the wall z = P: t = P - z, x' = x + t*a + c, y' = y + t*b + d, z' = P.
    void ProjectOntoWall(double P, double a, double b, double c, double d) noexcept;
};
