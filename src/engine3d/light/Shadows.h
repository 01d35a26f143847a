#pragma once
// Shadows: flat copies of the product projected onto the table along each
// light, drawn in the Shadow Color into a white layer and blended onto the
// picture. Soft styles repeat each copy on an n x n grid of shifted positions
// with a light blend each, so that the overlap forms a dark core and the
// fringe fades.

#include "engine3d/model/ModelMesh.h"
#include "engine3d/surface/RenderSurface.h"

#include <array>
#include <cstdint>

struct CEngineSettings;
class CRaster;

// Copies per light along each axis (1 for Cut Shadows) and blend weight of a style.
int ShadowGridSize(int shadowStyle) noexcept;
int ShadowWeight(int shadowStyle) noexcept; // 128, 215, 237, 245

// Appends one list per shadow copy (lights in order of i, then j; within a
// light the offsets k, then m). Nothing when Shadows is off or no light is on.
void AddShadows(CModelMesh& mesh, const CPolygonList& shadowSource, const CEngineSettings& settings);

// Blends a drawn shadow layer onto the target inside the box: every channel
// of a non-white layer pixel that differs from the target becomes
// (layer * (255 - w) + target * w) / 256, a row at a time (five pixels per
// step where the processor has SSE2).
class CShadowBlender {
public:
    // False when the pictures are not 24-bit pictures of the same size.
    bool Blend(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept;
    // One row of `pixels` pixels, weight 0 .. 255.
    static void BlendRow(const std::uint8_t* layer, std::uint8_t* target, int pixels, int weight) noexcept;
    // The same a pixel at a time: the reference of BlendRow.
    static void BlendRowReference(const std::uint8_t* layer, std::uint8_t* target, int pixels, int weight) noexcept;
};

bool BlendShadowLayer(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept;

// Multiplies the target inside the box by the shade picture (shadows drawn
// over white): each channel t becomes (t * s + 127) / 255, so white takes
// the shade's own value and black stays black.
void MultiplyByShade(const CRaster& shade, CRaster& target, const CBoundingBox& box) noexcept;
