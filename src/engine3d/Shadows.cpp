#include "engine3d/Shadows.h"

#include "engine3d/EngineSettings.h"
#include "engine3d/Lighting.h"
#include "image/Raster.h"

#include <algorithm>
#include <cmath>

int ShadowGridSize(int shadowStyle) noexcept
{
    return shadowStyle >= 1 && shadowStyle <= 3 ? shadowStyle + 1 : 1;
}

int ShadowWeight(int shadowStyle) noexcept
{
    switch (shadowStyle) {
    case 1: return 215;
    case 2: return 237;
    case 3: return 245;
    default: return 128;
    }
}

void AddShadows(CModelMesh& mesh, const CPolygonList& shadowSource, const CEngineSettings& settings)
{
    if (!settings.shadows) return;
    const int n = ShadowGridSize(settings.shadowStyle);
    const bool cut = n == 1;
    double offsets[4] = {0, 0, 0, 0};
    if (settings.shadowSoftness > 0) {
        // Spread at the product's scale, centred on the hard shadow:
        // o_k = (k - (n - 1)/2) * spread/n with spread = softness% of the
        // largest dimension.
        auto safe = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 100000.0) : 0.0; };
        const double size = std::max({safe(settings.width), safe(settings.height), safe(settings.depth), 1.0});
        const double spread = std::min(settings.shadowSoftness, 100) / 100.0 * size;
        for (int k = 0; k < n; ++k) offsets[k] = (k - (n - 1) / 2.0) * (spread / n);
    } else {
        // Offsets o_k = (k - n/2) * (8/n), n = 2: -4, 0; n = 3: -4, -4/3, 4/3; n = 4: -4, -2, 0, 2.
        for (int k = 0; k < n; ++k) offsets[k] = (k - n / 2.0) * (8.0 / n);
    }
    const bool wall = settings.tablePosition == 1;
    const double P = wall ? shadowSource.FarthestZ() + settings.aboveTable : 0.0;

    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j) {
            if (!IsLightOn(settings.lights, i, j)) continue;
            const CLightShear s = LightShear(i, j);
            for (int k = 0; k < n; ++k)
                for (int m = 0; m < n; ++m) {
                    const double c = cut ? 0.0 : offsets[k];
                    const double d = cut ? 0.0 : offsets[m];
                    CPolygonList copy = shadowSource;
                    if (wall)
                        copy.ProjectOntoWall(P, s.a, s.b, c, d);
                    else
                        copy.ShearOntoFloor(s.a, s.b, c, d);
                    copy.SetFillColour(settings.shadowColour);
                    copy.SetFaceCode(0);
                    mesh.lists.push_back(std::move(copy));
                }
        }
}

void CShadowBlender::Prepare(int weight) noexcept
{
    if (weight == m_weight) return;
    m_weight = weight;
    for (int l = 0; l < 256; ++l)
        for (int t = 0; t < 256; ++t)
            m_table[static_cast<std::size_t>(l * 256 + t)] =
                l == t ? static_cast<std::uint8_t>(t)
                       : static_cast<std::uint8_t>((l * (255 - weight) + t * weight) / 256);
}

bool CShadowBlender::Blend(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept
{
    if (!layer.IsValid() || !target.IsValid() || layer.GetBpp() != 24 || target.GetBpp() != 24 ||
        layer.GetWidth() != target.GetWidth() || layer.GetHeight() != target.GetHeight())
        return false;
    if (weight < 0) weight = 0;
    if (weight > 255) weight = 255;
    const CBoundingBox b = box.ClippedTo(target.GetWidth(), target.GetHeight());
    if (b.IsEmpty()) return true;
    Prepare(weight);
    for (int y = b.bottom; y <= b.top; ++y) {
        const std::uint8_t* l = layer.GetBits(y) + 3 * b.left;
        std::uint8_t* t = target.GetBits(y) + 3 * b.left;
        for (int x = b.left; x <= b.right; ++x, l += 3, t += 3) {
            if (l[0] == 255 && l[1] == 255 && l[2] == 255) continue;
            for (int c = 0; c < 3; ++c) t[c] = m_table[static_cast<std::size_t>(l[c] * 256 + t[c])];
        }
    }
    return true;
}

bool BlendShadowLayer(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept
{
    static CShadowBlender blender; // keeps its table while the weight stays
    return blender.Blend(layer, target, weight, box);
}
