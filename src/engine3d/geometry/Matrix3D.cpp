#include "engine3d/geometry/Matrix3D.h"

#include "engine3d/geometry/AngleTable.h"

CMatrix3D CMatrix3D::RotationX(int degrees) noexcept
{
    const double ca = CosDeg(degrees), sa = SinDeg(degrees);
    CMatrix3D r;
    r.m[1][1] = ca;
    r.m[1][2] = sa;
    r.m[2][1] = -sa;
    r.m[2][2] = ca;
    return r;
}

CMatrix3D CMatrix3D::RotationY(int degrees) noexcept
{
    const double ca = CosDeg(degrees), sa = SinDeg(degrees);
    CMatrix3D r;
    r.m[0][0] = ca;
    r.m[0][2] = -sa;
    r.m[2][0] = sa;
    r.m[2][2] = ca;
    return r;
}

CMatrix3D CMatrix3D::RotationZ(int degrees) noexcept
{
    const double ca = CosDeg(degrees), sa = SinDeg(degrees);
    CMatrix3D r;
    r.m[0][0] = ca;
    r.m[0][1] = sa;
    r.m[1][0] = -sa;
    r.m[1][1] = ca;
    return r;
}

void CMatrix3D::Apply(double& x, double& y, double& z) const noexcept
{
    const double nx = x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0];
    const double ny = x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1];
    const double nz = x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2];
    x = nx;
    y = ny;
    z = nz;
}

void CMatrix3D::Apply(CVertex3D& v) const noexcept
{
    Apply(v.x, v.y, v.z);
}
