#include "engine3d/geometry/Polygon3D.h"

CPolygon3D CPolygon3D::Quad(const CVertex3D& c0, const CVertex3D& c1, const CVertex3D& c2,
                            const CVertex3D& c3, char code)
{
    CPolygon3D p;
    p.vertices = {c0, c1, c2, c3};
    p.faceCode = code;
    return p;
}

void CPolygon3D::ComputePlane() noexcept
{
    if (vertices.size() < 3) return;
    const CVertex3D& p0 = vertices[0];
    const CVertex3D& p1 = vertices[1];
    const CVertex3D& p2 = vertices[2];
    const double ux = p0.x - p1.x, uy = p0.y - p1.y, uz = p0.z - p1.z;
    const double wx = p0.x - p2.x, wy = p0.y - p2.y, wz = p0.z - p2.z;
    nx = uy * wz - uz * wy;
    ny = uz * wx - ux * wz;
    nz = ux * wy - uy * wx;
    d = nx * p0.x + ny * p0.y + nz * p0.z;
}
