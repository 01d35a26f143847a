#include "engine3d/model/RoundedBox.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct CVec {
    double x = 0.0, y = 0.0, z = 0.0;
};
CVec operator+(CVec a, CVec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
CVec operator-(CVec a, CVec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
CVec operator*(double s, CVec a) { return {s * a.x, s * a.y, s * a.z}; }
CVec Cross(CVec a, CVec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(CVec a, CVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(CVec a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
CVec Of(const CVertex3D& v) { return {v.x, v.y, v.z}; }

// The frame of a sharp face and the map of its picture onto the rounded solid.
struct CFaceFrame {
    CVec origin, right, up, normal; // bottom-left corner, unit u and v directions, outward normal
    double width = 0.0, height = 0.0, radius = 0.0;

    CVertex3D At(double U, double V) const
    {
        const double Uc = std::clamp(U, radius, width - radius);
        const double Vc = std::clamp(V, radius, height - radius);
        constexpr double kQuarterPi = 0.78539816339744831;
        const double ta = std::tan(kQuarterPi * (U - Uc) / radius);
        const double tb = std::tan(kQuarterPi * (V - Vc) / radius);
        CVec dir = normal + ta * right + tb * up;
        dir = (1.0 / Length(dir)) * dir;
        const CVec p = origin + Uc * right + Vc * up - radius * normal + radius * dir;
        return MakeVertex(p.x, p.y, p.z);
    }
};

// 0, the margin's steps, the flat part, the far margin's steps, size.
std::vector<double> Breaks(double size, double radius, int steps)
{
    std::vector<double> b;
    for (int i = 0; i <= steps; ++i) b.push_back(radius * i / steps);
    for (int i = 0; i <= steps; ++i) b.push_back(size - radius + radius * i / steps);
    return b;
}

// A facet of a corner lies on a sphere, so its fourth corner is off the
// plane of the other three, which the picture is mapped through: samples near
// that corner fall a little outside the facet and outside its neighbours, and
// the background would show through. Such a facet is therefore made 10 %
// larger about its centre (the gap is about 3 % of its size for the 15-degree
// facets), overlapping its neighbours by 5 %, and kept inside the box.
void Overlap(CPolygon3D& p, const CFaceFrame& f)
{
    CVec c;
    for (const CVertex3D& v : p.vertices) c = c + 0.25 * Of(v);
    for (CVertex3D& v : p.vertices) {
        const CVec e = c + 1.1 * (Of(v) - c) - f.origin;
        const double U = std::clamp(Dot(e, f.right), 0.0, f.width);
        const double V = std::clamp(Dot(e, f.up), 0.0, f.height);
        const double N = std::min(Dot(e, f.normal), 0.0);
        const CVec q = f.origin + U * f.right + V * f.up + N * f.normal;
        v = MakeVertex(q.x, q.y, q.z);
    }
}

} // namespace

void AddRoundedFace(CPolygonList& list, const CPolygon3D& face, double radius, int steps, bool withMiddle)
{
    if (face.vertices.size() != 4 || !(radius > 0.0) || steps < 1) return;
    CFaceFrame f;
    const CVec c0 = Of(face.vertices[0]), c1 = Of(face.vertices[1]), c2 = Of(face.vertices[2]);
    f.origin = c1;
    f.width = Length(c2 - c1);
    f.height = Length(c0 - c1);
    if (!(f.width > 2.0 * radius) || !(f.height > 2.0 * radius)) return;
    f.right = (1.0 / f.width) * (c2 - c1);
    f.up = (1.0 / f.height) * (c0 - c1);
    f.normal = Cross(f.up, f.right);
    f.radius = radius;

    const std::vector<double> us = Breaks(f.width, radius, steps), vs = Breaks(f.height, radius, steps);
    const auto middle = static_cast<std::size_t>(steps); // the facet from r to size - r
    auto facet = [&](std::size_t i, std::size_t j) {
        CPolygon3D p = face;
        p.vertices = {f.At(us[i], vs[j + 1]), f.At(us[i], vs[j]), f.At(us[i + 1], vs[j]), f.At(us[i + 1], vs[j + 1])};
        if (i != middle && j != middle) Overlap(p, f);
        p.texU0 = us[i] / f.width;
        p.texU1 = us[i + 1] / f.width;
        p.texV0 = vs[j] / f.height;
        p.texV1 = vs[j + 1] / f.height;
        list.Add(std::move(p));
    };
    if (withMiddle) facet(middle, middle);
    for (std::size_t j = 0; j + 1 < vs.size(); ++j)
        for (std::size_t i = 0; i + 1 < us.size(); ++i)
            if (i != middle || j != middle) facet(i, j);
}
