#pragma once
// Lighting of the faces: each face of the model is lit by the lights of the
// light grid that are on, by its orientation to them, plus an ambient term,
// so that front, side and top of a product differ in brightness as in a
// photograph. The shadow copies are never lit.

#include "engine3d/geometry/PolygonList.h"

struct CEngineSettings;

// Brightness factor of a face with the outward normal (nx, ny, nz), in table
// space (y up, z away from the viewer), for the lights of `lights` and the
// shading strength in percent (0: 1.0 whatever the face).
//
// A light at (i, j) shines from the direction L = (0.5 i, 1, 0.5 j), the
// opposite of the direction its shadows fall. The face receives
// D = mean over the lights of max(0, n . L) with both vectors normalised, and
//   shade = 1 - s + s * (A + (1 - A) * D)
// with s the strength (0 .. 1) and A the ambient share. A face turned straight
// at every light keeps its picture's colours; one turned away from all of them
// keeps 1 - s (1 - A) of its brightness. An empty mask counts as the default
// light (1, -1).
double FaceShade(double nx, double ny, double nz, std::uint32_t lights, int strengthPercent) noexcept;

// The ambient share A of FaceShade.
constexpr double kShadingAmbient = 0.5;

// Sets the shade of every polygon of a model list placed on the table. The
// corners of a face run so that the eye sees it when d > 0 (see
// CPolygon3D::ComputePlane), so its outward normal is minus the plane
// normal. Untextured polygons (binder rings) have their colours darkened
// instead. Nothing changes when shading is 0.
void ShadeModelList(CPolygonList& list, const CEngineSettings& settings) noexcept;

// A colour multiplied by a shade (0 .. 1), rounded per channel.
COLORREF ShadeColour(COLORREF colour, double shade) noexcept;
