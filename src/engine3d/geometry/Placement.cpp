#include "engine3d/geometry/Placement.h"

#include "engine3d/surface/EngineSettings.h"

#include <algorithm>
#include <cmath>

namespace {

void Rotate(double& x, double& y, double& z, const CEngineSettings& s) noexcept
{
    if (s.xRotation != 0) CMatrix3D::RotationX(s.xRotation).Apply(x, y, z);
    if (s.yRotation != 0) CMatrix3D::RotationY(s.yRotation).Apply(x, y, z);
    if (s.zRotation != 0) CMatrix3D::RotationZ(s.zRotation).Apply(x, y, z);
}

} // namespace

double DiscLowestY(const CEngineSettings& settings) noexcept
{
    constexpr double R = 62.0;
    double c[4][3] = {{-R, R, 0}, {-R, -R, 0}, {R, -R, 0}, {R, R, 0}};
    for (auto& k : c) Rotate(k[0], k[1], k[2], settings);
    const double meanY = (c[0][1] + c[1][1] + c[2][1] + c[3][1]) / 4.0;
    auto allSame = [&](int axis) {
        return c[0][axis] == c[1][axis] && c[0][axis] == c[2][axis] && c[0][axis] == c[3][axis];
    };
    if (allSame(1)) return c[0][1];             // lying flat
    if (allSame(0) || allSame(2)) return meanY - R; // standing upright
    // Normal n = (c1 - c0) x (c2 - c0); the rim's lowest point lies
    // R * sqrt((nx^2 + nz^2) / |n|^2) below the centre.
    const double u[3] = {c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
    const double w[3] = {c[2][0] - c[0][0], c[2][1] - c[0][1], c[2][2] - c[0][2]};
    const double nx = u[1] * w[2] - u[2] * w[1];
    double ny = u[2] * w[0] - u[0] * w[2];
    const double nz = u[0] * w[1] - u[1] * w[0];
    if (ny == 0.0) ny = 1e-10;
    const double q = (nx * nx + nz * nz) / (ny * ny);
    return meanY - R * std::sqrt(q / (q + 1.0));
}

void PlaceOnTable(CPolygonList& list, const CEngineSettings& settings, bool isDisc) noexcept
{
    if (settings.xRotation != 0) list.Transform(CMatrix3D::RotationX(settings.xRotation));
    if (settings.yRotation != 0) list.Transform(CMatrix3D::RotationY(settings.yRotation));
    if (settings.zRotation != 0) list.Transform(CMatrix3D::RotationZ(settings.zRotation));
    const double lowest = isDisc ? DiscLowestY(settings) : list.LowestY();
    const double base = settings.tablePosition == 0 ? settings.aboveTable : 0.0;
    list.Translate(0.0, base - lowest, 0.0);
}

double LensDistance(const CModelMesh& mesh, int lens) noexcept
{
    if (mesh.lists.empty() || mesh.lists[0].polygons.empty()) return 0.0;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const CPolygon3D& p : mesh.lists[0].polygons)
        for (const CVertex3D& v : p.vertices) {
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
        }
    const double size = std::max(maxX - minX, maxY - minY);
    return std::max(0.0, lens * size / kLensFrameHeight);
}

void PositionCamera(CModelMesh& mesh, const CEngineSettings& settings) noexcept
{
    // Looking down onto the table turns the whole scene, shadows and
    // reflection with it, up towards the eye about the x axis.
    if (settings.elevation > 0) mesh.Transform(CMatrix3D::RotationX(-std::min(settings.elevation, 89)));
    const double n = mesh.NearestZ();
    mesh.Translate(0.0, 0.0, 1.0 - n);
    // A negative distance would put the model behind the eye, where the
    // projection turns it inside out; the eye stays in front of it.
    double distance = settings.observerDistance > 0 ? settings.observerDistance : 0;
    if (settings.lens > 0) distance = LensDistance(mesh, settings.lens);
    mesh.Translate(-settings.observerX, -settings.observerY, distance);
}
