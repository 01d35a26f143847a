#pragma once
// The whole 3D scene of one render: list 0 the model, then one list per
// shadow copy, last (when reflection is on) the mirrored model.

#include "engine3d/geometry/PolygonList.h"

#include <cstddef>
#include <vector>

// The numbers of one fit of a projected mesh into the picture. The
// rasteriser maps picture positions back to projected positions with them,
// so a mesh must be drawn with the context of its own fit.
struct CFitContext {
    double scale = 1.0;     // picture pixels per projected unit
    double invScale = 1.0;  // 1 / scale
    double minX = 0.0, minY = 0.0;       // smallest projected x and y of the mesh
    double originX = 0.0, originY = 0.0; // picture position of (minX, minY)

    // Projected coordinates (before the fit) of a picture position.
    void PictureToModel(double px, double py, double& qx, double& qy) const noexcept
    {
        qx = (px - originX) * invScale + minX;
        qy = (py - originY) * invScale + minY;
    }
};

class CModelMesh {
public:
    std::vector<CPolygonList> lists;
    std::size_t contactShadowLists = 0; // lists 1 .. this many are a contact shadow (studio shadows)

    std::size_t GetListCount() const noexcept { return lists.size(); }
    std::size_t GetPolygonCount() const noexcept;

    void Translate(double dx, double dy, double dz) noexcept;
    void Transform(const CMatrix3D& m) noexcept;
    void Mirror() noexcept;
    double LowestY() const noexcept;
    double NearestZ() const noexcept;
    double FarthestZ() const noexcept;

    // Pinhole projection with focal length f: the plane of every polygon is
    // computed first, then every vertex gets sx = f*x/z, sy = f*y/z (z of
    // exactly 0 divides by 1e-10). x, y and z stay unchanged.
    void ProjectMesh(double f) noexcept;

    // Fits the projected mesh into the S x S square with lower-left corner
    // (ox, oy): the longer extent fills the square, the other is centred.
    // Returns the fit numbers for the rasteriser.
    CFitContext FitToPicture(double S, double ox, double oy) noexcept;
    // Fits it into the width x height rectangle with lower-left corner
    // (ox, oy), centred in both directions. Only the first `counted` lists
    // are measured (the rest may run out of the rectangle); all are moved.
    CFitContext FitToRectangle(double width, double height, double ox, double oy,
                               std::size_t counted = static_cast<std::size_t>(-1)) noexcept;

private:
    CFitContext Fit(double width, double height, double ox, double oy, bool centreBoth,
                    std::size_t counted = static_cast<std::size_t>(-1)) noexcept;
};
