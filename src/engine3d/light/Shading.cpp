#include "engine3d/light/Shading.h"

#include "engine3d/surface/EngineSettings.h"
#include "engine3d/light/HighlightBand.h"
#include "engine3d/light/Lighting.h"
#include "engine3d/light/StudioLighting.h"

#include <algorithm>
#include <cmath>

double FaceShade(double nx, double ny, double nz, std::uint32_t lights, int strengthPercent) noexcept
{
    if (strengthPercent <= 0) return 1.0;
    const double s = std::min(strengthPercent, 100) / 100.0;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0.0)) return 1.0;
    if ((lights & 0x1FFFFFFu) == 0) lights = 1u << LightBit(1, -1);
    double sum = 0.0;
    int count = 0;
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j) {
            if (!IsLightOn(lights, i, j)) continue;
            const double lx = 0.5 * i, ly = 1.0, lz = 0.5 * j;
            const double dot = (nx * lx + ny * ly + nz * lz) / (len * std::sqrt(lx * lx + ly * ly + lz * lz));
            sum += std::max(0.0, dot);
            ++count;
        }
    const double D = sum / count;
    return 1.0 - s + s * (kShadingAmbient + (1.0 - kShadingAmbient) * D);
}

COLORREF ShadeColour(COLORREF colour, double shade) noexcept
{
    auto channel = [shade](unsigned c) {
        return static_cast<unsigned>(std::lround(std::clamp(c * shade, 0.0, 255.0)));
    };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

namespace {

struct CPoint {
    double x = 0.0, y = 0.0, z = 0.0;
};

CPoint PolygonCentre(const CPolygon3D& p) noexcept
{
    CPoint c;
    for (const CVertex3D& v : p.vertices) c.x += v.x, c.y += v.y, c.z += v.z;
    const double n = static_cast<double>(p.vertices.size());
    return {c.x / n, c.y / n, c.z / n};
}

// The key light is a soft box at a finite distance: a point of the product
// nearer to it receives more light. To first order the light changes by
//   f(P) = 1 + k ((P - C) . l) / R
// with l the direction towards the key light, C the centre of the product's
// bounding box, R half its diagonal and k the fall-off (0 .. 0.4): the corner
// nearest the key is lit k more than the centre, the farthest k less.
struct CFalloff {
    CPoint centre, key; // key: towards the key light, divided by R
    double k = 0.0;

    static CFalloff Of(const CPolygonList& list, const CLightingPreset& preset, int percent) noexcept
    {
        CFalloff f;
        const CStudioLight& l = preset.lights[0];
        const double ll = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
        if (percent <= 0 || !(ll > 0.0)) return f;
        CPoint lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
        for (const CPolygon3D& p : list.polygons)
            for (const CVertex3D& v : p.vertices) {
                lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
                hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
            }
        const double R = 0.5 * std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) +
                                         (hi.z - lo.z) * (hi.z - lo.z));
        if (!(R > 0.0)) return f;
        f.centre = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
        f.key = {l.x / (ll * R), l.y / (ll * R), l.z / (ll * R)};
        f.k = std::min(percent, 40) / 100.0;
        return f;
    }
    double At(const CPoint& p) const noexcept
    {
        return 1.0 + k * ((p.x - centre.x) * key.x + (p.y - centre.y) * key.y + (p.z - centre.z) * key.z);
    }
    // The change of `lit` * f across a face: along u from its bottom-left
    // corner (1) to its bottom-right (2), along v from there to its top-left (0).
    void Slopes(CPolygon3D& p, double lit) const noexcept
    {
        if (k == 0.0 || p.vertices.size() < 4) return;
        const CVertex3D &c0 = p.vertices[0], &c1 = p.vertices[1], &c2 = p.vertices[2];
        auto along = [&](const CVertex3D& a, const CVertex3D& b) {
            return lit * k * ((b.x - a.x) * key.x + (b.y - a.y) * key.y + (b.z - a.z) * key.z);
        };
        p.shadeU = along(c1, c2);
        p.shadeV = along(c1, c0);
    }
};

// The highlight of a face that varies across it (its `highlight` set), as
// its value at the centre; an untextured polygon takes that one value.
double BandedHighlight(CPolygon3D& p, const CBandScene& band, int finish, double strength) noexcept
{
    SetFaceHighlight(p, band, finish, strength);
    if (!IsUntexturedCode(p.faceCode)) return p.specular;
    const double centre = p.specular + p.highlight.peak * BandProfile(p.highlight.at, p.highlight.softness);
    p.highlight = {};
    p.specular = 0.0;
    return centre;
}

} // namespace

void ShadeModelList(CPolygonList& list, const CEngineSettings& settings) noexcept
{
    if (settings.shading <= 0) return;
    const CLightingPreset* studio = FindLightingPreset(settings.lighting);
    const double s = std::min(settings.shading, 100) / 100.0;
    // Towards the eye in table space: in front of the table, looking down by the elevation.
    const double e = std::clamp(settings.elevation, 0, 89) * 3.14159265358979323846 / 180.0;
    const double vy = std::sin(e), vz = -std::cos(e);
    const CFalloff falloff = studio != nullptr ? CFalloff::Of(list, *studio, settings.falloff) : CFalloff{};
    CBandScene band;
    const bool banded = studio != nullptr && settings.highlightBand && CBandScene::Of(list, settings, band);
    for (CPolygon3D& p : list.polygons) {
        if (p.vertices.size() < 3) continue;
        p.ComputePlane();
        if (studio != nullptr) {
            const double lit = s * StudioFaceLight(-p.nx, -p.ny, -p.nz, *studio);
            const double light = 1.0 - s + lit * falloff.At(PolygonCentre(p));
            const double specular = banded ? BandedHighlight(p, band, settings.finish, s)
                                           : s * FinishSpecular(-p.nx, -p.ny, -p.nz, 0.0, vy, vz, *studio, settings.finish);
            if (IsUntexturedCode(p.faceCode)) {
                p.fillColour = ShadeColourLinear(p.fillColour, light, specular);
                p.outlineColour = ShadeColourLinear(p.outlineColour, light, specular);
            } else {
                p.shade = light;
                p.specular = specular;
                falloff.Slopes(p, lit);
                p.linearShade = true;
            }
            continue;
        }
        const double shade = FaceShade(-p.nx, -p.ny, -p.nz, settings.lights, settings.shading);
        if (IsUntexturedCode(p.faceCode)) {
            p.fillColour = ShadeColour(p.fillColour, shade);
            p.outlineColour = ShadeColour(p.outlineColour, shade);
        } else {
            p.shade = shade;
        }
    }
}
