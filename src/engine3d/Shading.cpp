#include "engine3d/Shading.h"

#include "engine3d/EngineSettings.h"
#include "engine3d/Lighting.h"
#include "engine3d/StudioLighting.h"

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

void ShadeModelList(CPolygonList& list, const CEngineSettings& settings) noexcept
{
    if (settings.shading <= 0) return;
    const CLightingPreset* studio = FindLightingPreset(settings.lighting);
    const double s = std::min(settings.shading, 100) / 100.0;
    // Towards the eye in table space: in front of the table, looking down by the elevation.
    const double e = std::clamp(settings.elevation, 0, 89) * 3.14159265358979323846 / 180.0;
    const double vy = std::sin(e), vz = -std::cos(e);
    for (CPolygon3D& p : list.polygons) {
        if (p.vertices.size() < 3) continue;
        p.ComputePlane();
        if (studio != nullptr) {
            const double light = 1.0 - s + s * StudioFaceLight(-p.nx, -p.ny, -p.nz, *studio);
            const double specular = s * FinishSpecular(-p.nx, -p.ny, -p.nz, 0.0, vy, vz, *studio, settings.finish);
            if (IsUntexturedCode(p.faceCode)) {
                p.fillColour = ShadeColourLinear(p.fillColour, light, specular);
                p.outlineColour = ShadeColourLinear(p.outlineColour, light, specular);
            } else {
                p.shade = light;
                p.specular = specular;
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
