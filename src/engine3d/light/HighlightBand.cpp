#include "engine3d/light/HighlightBand.h"

#include "engine3d/geometry/Matrix3D.h"
#include "engine3d/geometry/Placement.h"
#include "engine3d/surface/EngineSettings.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The strip soft box of each "Lighting" preset, placed as a photographer
// places it for a product turned to show its right side (the new-project
// view), so that the front mirrors it. Chosen by looking at rendered boxes
// beside photographs of glossy packs.
struct CStrip {
    int lighting;
    double azimuth;   // degrees to the photographer's left of the line from the product to the camera
    double distance;  // from the product's centre, product sizes
    double halfWidth; // product sizes
    double radiance;  // seen straight on; paper lit by the studio is 1
};
constexpr CStrip kStrips[] = {
    {1, 57.0, 2.0, 0.10, 7.0},    // "Studio": a strip beside the key light, a band right of the front's middle
    {2, 64.0, 2.5, 0.35, 5.0},    // "Soft Window": the window itself, broad, on the front's left half
    {3, -113.0, 1.5, 0.12, 9.0},  // "Dramatic": a narrow strip behind on the right, on the side face
};

// Fresnel's reflectance seen straight on, the studio's light around the
// strip, the share of the strip's light, and how soft the band's edges are.
struct CFinishBand {
    int finish;
    double f0, sheen, band, softness;
};
constexpr CFinishBand kFinishBands[] = {
    {1, 0.04, 0.10, 0.30, 1.00}, // "Satin": a faint blurred band
    {2, 0.04, 0.35, 1.00, 0.45}, // "Gloss": a clear soft band
    {3, 0.05, 0.80, 1.00, 0.25}, // "Shrink-Wrap": film: a crisper band and a sheen over everything
};

void Normalise(double v[3]) noexcept
{
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (l > 0.0) v[0] /= l, v[1] /= l, v[2] /= l;
}

double Fresnel(double f0, double nv) noexcept { return f0 + (1.0 - f0) * std::pow(1.0 - std::clamp(nv, 0.0, 1.0), 5.0); }

} // namespace

// The camera of PositionCamera undone: the mesh turned by minus the
// elevation about x has its nearest point moved to z = 1 + distance and is
// shifted by minus the observer's offset, with the eye at the origin. The
// nearest point is the model's (the shadows and the reflection move it a
// little, which the band does not notice).
bool CBandScene::Of(const CPolygonList& list, const CEngineSettings& settings, CBandScene& scene) noexcept
{
    const CStrip* strip = nullptr;
    for (const CStrip& s : kStrips)
        if (s.lighting == settings.lighting) strip = &s;
    if (strip == nullptr) return false;
    const int elevation = std::clamp(settings.elevation, 0, 89);
    const CMatrix3D down = CMatrix3D::RotationX(-elevation);
    double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300}, nearest = 1e300;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const CPolygon3D& p : list.polygons)
        for (const CVertex3D& v : p.vertices) {
            const double t[3] = {v.x, v.y, v.z};
            for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], t[k]), hi[k] = std::max(hi[k], t[k]);
            double x = v.x, y = v.y, z = v.z;
            down.Apply(x, y, z);
            nearest = std::min(nearest, z);
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    if (!(nearest < 1e300)) return false;
    double distance = std::max(settings.observerDistance, 0);
    if (settings.lens > 0) distance = settings.lens * std::max(maxX - minX, maxY - minY) / kLensFrameHeight;
    double ex = settings.observerX, ey = settings.observerY, ez = nearest - 1.0 - distance;
    CMatrix3D::RotationX(elevation).Apply(ex, ey, ez);
    scene.eye[0] = ex, scene.eye[1] = ey, scene.eye[2] = ez;

    const double size = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                                  (hi[2] - lo[2]) * (hi[2] - lo[2]));
    const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
    double cx = ex - centre[0], cz = ez - centre[2]; // towards the camera, level
    const double cl = std::hypot(cx, cz);
    if (!(cl > 0.0) || !(size > 0.0)) return false;
    cx /= cl, cz /= cl;
    const double a = strip->azimuth * kPi / 180.0;
    const double dx = std::cos(a) * cx + std::sin(a) * cz, dz = std::cos(a) * cz - std::sin(a) * cx; // left: (cz, -cx)
    scene.strip[0] = centre[0] + strip->distance * size * dx;
    scene.strip[1] = centre[1];
    scene.strip[2] = centre[2] + strip->distance * size * dz;
    scene.halfWidth = strip->halfWidth * size;
    scene.radiance = strip->radiance;
    return true;
}

double CBandScene::Facing(const double p[3], const double n[3]) const noexcept
{
    double v[3] = {eye[0] - p[0], eye[1] - p[1], eye[2] - p[2]};
    Normalise(v);
    return n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
}

double CBandScene::StripOffset(const double p[3], const double n[3]) const noexcept
{
    double v[3] = {eye[0] - p[0], eye[1] - p[1], eye[2] - p[2]};
    Normalise(v);
    const double nv = n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
    const double rx = 2.0 * nv * n[0] - v[0], rz = 2.0 * nv * n[2] - v[2]; // the mirrored ray, level part
    const double rl = std::hypot(rx, rz);
    const double qx = strip[0] - p[0], qz = strip[2] - p[2];
    if (nv <= 0.0 || !(rl > 1e-6) || rx * qx + rz * qz <= 0.0) return std::nan("");
    return (rx * qz - rz * qx) / (rl * halfWidth);
}

void SetFaceHighlight(CPolygon3D& p, const CBandScene& scene, int finish, double strength) noexcept
{
    const CFinishBand* f = nullptr;
    for (const CFinishBand& k : kFinishBands)
        if (k.finish == finish) f = &k;
    p.highlight = {};
    p.specular = 0.0;
    if (f == nullptr || p.vertices.empty()) return;
    const double n[3] = {-p.nx, -p.ny, -p.nz}; // outward
    if (!(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] > 0.0)) return;
    double nn[3] = {n[0], n[1], n[2]};
    Normalise(nn);
    auto at = [&](const CVertex3D& c, double& sheen, double& offset) {
        const double q[3] = {c.x, c.y, c.z};
        sheen = strength * f->sheen * Fresnel(f->f0, scene.Facing(q, nn));
        offset = scene.StripOffset(q, nn);
    };
    double centre[3] = {0.0, 0.0, 0.0};
    for (const CVertex3D& v : p.vertices) centre[0] += v.x, centre[1] += v.y, centre[2] += v.z;
    for (double& c : centre) c /= static_cast<double>(p.vertices.size());
    // The strip's light at its brightest: mirrored by the Fresnel share seen
    // from the centre, less as the mirrored ray turns up from level (a
    // vertical strip is seen edge-on from straight below or above).
    double v[3] = {scene.eye[0] - centre[0], scene.eye[1] - centre[1], scene.eye[2] - centre[2]};
    Normalise(v);
    const double nv = nn[0] * v[0] + nn[1] * v[1] + nn[2] * v[2];
    const double ry = 2.0 * nv * nn[1] - v[1];
    const double level = 1.0 - std::min(ry * ry, 1.0);
    p.highlight.peak = strength * f->band * scene.radiance * Fresnel(f->f0, nv) * level;
    p.highlight.softness = f->softness;
    if (p.vertices.size() == 4) { // u from corner 1 to 2, v from corner 1 to 0
        double s0, s1, s2, o0, o1, o2;
        at(p.vertices[0], s0, o0);
        at(p.vertices[1], s1, o1);
        at(p.vertices[2], s2, o2);
        p.highlight.sheenU = s2 - s1, p.highlight.sheenV = s0 - s1;
        p.highlight.atU = o2 - o1, p.highlight.atV = o0 - o1;
        p.specular = s1 + 0.5 * (p.highlight.sheenU + p.highlight.sheenV);
        p.highlight.at = o1 + 0.5 * (p.highlight.atU + p.highlight.atV);
        // A face some of whose corners mirror nothing of the strip shows no band.
        if (!std::isfinite(p.highlight.at + p.highlight.atU + p.highlight.atV)) p.highlight.peak = 0.0;
        if (p.highlight.peak == 0.0) p.highlight.at = p.highlight.atU = p.highlight.atV = 0.0;
        return;
    }
    const CVertex3D c{centre[0], centre[1], centre[2]};
    at(c, p.specular, p.highlight.at);
    if (std::isfinite(p.highlight.at)) p.specular += p.highlight.peak * BandProfile(p.highlight.at, p.highlight.softness);
    p.highlight = {};
}
