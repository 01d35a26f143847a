#pragma once
// 4 x 4 matrix in the row-vector convention: a vertex (x, y, z, 1) is
// multiplied from the left, so
//   x' = x*m[0][0] + y*m[1][0] + z*m[2][0] + m[3][0]  (likewise y', z');
// the fourth column is not used.

#include "engine3d/geometry/Polygon3D.h"

class CMatrix3D {
public:
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static CMatrix3D Identity() noexcept { return CMatrix3D(); }
    // Rotations by whole degrees, sine and cosine from the angle tables.
    // About X: y' = ca*y - sa*z, z' = sa*y + ca*z.
    static CMatrix3D RotationX(int degrees) noexcept;
    // About Y: x' = ca*x + sa*z, z' = -sa*x + ca*z.
    static CMatrix3D RotationY(int degrees) noexcept;
    // About Z: x' = ca*x - sa*y, y' = sa*x + ca*y.
    static CMatrix3D RotationZ(int degrees) noexcept;

    // Replaces x, y, z of the vertex by the transformed values.
    void Apply(CVertex3D& v) const noexcept;
    void Apply(double& x, double& y, double& z) const noexcept;
};
