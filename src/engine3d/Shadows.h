#pragma once
// Shadows: flat copies of the product projected onto the table along each
// light, drawn in the Shadow Color into a white layer and blended onto the
// picture. Soft styles repeat each copy on an n x n grid of shifted positions
// with a light blend each, so that the overlap forms a dark core and the
// fringe fades.

#include "engine3d/ModelMesh.h"
#include "engine3d/RenderSurface.h"

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
// (layer * (255 - w) + target * w) / 256. The results are kept in a
// 256 x 256 table for the current weight.
class CShadowBlender {
public:
    // False when the pictures are not 24-bit pictures of the same size.
    bool Blend(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept;

private:
    void Prepare(int weight) noexcept;
    int m_weight = -1;
    std::array<std::uint8_t, 256 * 256> m_table{}; // [layer * 256 + target]
};

bool BlendShadowLayer(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept;
