#pragma once
// Lighting presets of a photographer's studio: a key light, a fill and a rim
// (or top) light, fixed to the camera's side of the table, and an ambient
// share. Faces are lit in linear light: a face's stored colours are decoded
// from sRGB, multiplied by the light it receives and encoded again, so that
// colours keep their hue and saturation and a mid grey comes out as a
// Lambert surface under these lights would.

#include <array>
#include <cstdint>

#include "image/Color.h"

struct CStudioLight {
    double x, y, z;   // direction towards the light in table space (x right, y up, z away from the viewer)
    double intensity; // share of white a surface turned straight at it receives
};

struct CLightingPreset {
    int value;      // the setting's value ("Lighting")
    double ambient; // light every face receives
    std::array<CStudioLight, 3> lights; // key, fill, rim
};

// The preset of a "Lighting" value; nullptr for 0 (the faces lit by the
// shadow lights of the light grid, as before the presets) or an unknown value.
const CLightingPreset* FindLightingPreset(int value) noexcept;

// Linear light a face with the outward normal (nx, ny, nz) receives:
// ambient + sum of intensity * max(0, n . l) over the lights, at most 1.
double StudioFaceLight(double nx, double ny, double nz, const CLightingPreset& preset) noexcept;

// Linear light a surface of a "Finish" reflects towards the eye: the studio's
// soft boxes (the preset's lights) seen in it as broad Blinn-Phong lobes, and
// the bright studio around them, each weighted by Schlick's Fresnel term
// F = F0 + (1 - F0) (1 - n.v)^5, so that faces seen at a grazing angle shine
// more. (nx, ny, nz) is the outward normal, (vx, vy, vz) the direction
// towards the eye; finish 0 ("Matte") or an unknown value reflects nothing.
double FinishSpecular(double nx, double ny, double nz, double vx, double vy, double vz,
                      const CLightingPreset& preset, int finish) noexcept;

// 256 stored levels multiplied by `light` in linear light, plus `specular`:
// level v becomes the sRGB encoding of light * decode(v) + specular, rounded.
using CLinearShadeTable = std::array<std::uint8_t, 256>;
CLinearShadeTable MakeLinearShadeTable(double light, double specular = 0.0) noexcept;

// A colour multiplied by `light` in linear light, plus `specular`.
COLORREF ShadeColourLinear(COLORREF colour, double light, double specular = 0.0) noexcept;
