#include "engine3d/light/Reflection.h"

#include "engine3d/surface/EngineSettings.h"
#include "image/Raster.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>

void AddReflection(CModelMesh& mesh, const CPolygonList& modelList, const CEngineSettings& settings)
{
    if (!settings.ReflectionShown()) return;
    CPolygonList mirrored = modelList;
    mirrored.Mirror();
    mesh.lists.push_back(std::move(mirrored));
}

long long ReflectionWeight(int y, int height, int topFade, int bottomFade) noexcept
{
    const long long H = height > 0 ? height : 1;
    const long long lo = topFade, hi = bottomFade;
    // Rows above `height` (a fade that ends below the picture's top) keep the top fade.
    return std::clamp(lo * 100 + ((H - y) * (hi - lo) * 100) / H, std::min(lo, hi) * 100, std::max(lo, hi) * 100);
}

bool BlendReflectionLayer(const CRaster& layer, CRaster& target, int topFade, int bottomFade,
                          bool ripple, const CBoundingBox& box, int firstRow, int pictureHeight, bool linear,
                          bool steadyRipple) noexcept
{
    const CSrgbTables& srgb = SrgbTables();
    if (!layer.IsValid() || !target.IsValid() || layer.GetBpp() != 24 || target.GetBpp() != 24 ||
        layer.GetWidth() != target.GetWidth() || layer.GetHeight() != target.GetHeight())
        return false;
    const CBoundingBox b = box.ClippedTo(target.GetWidth(), target.GetHeight());
    if (b.IsEmpty()) return true;
    for (int y = b.bottom; y <= b.top; ++y) {
        const int py = y + firstRow; // row in the whole picture
        const long long rowWeight =
            ReflectionWeight(py, pictureHeight > 0 ? pictureHeight : target.GetHeight(), topFade, bottomFade);
        long long w = ripple ? rowWeight : std::clamp(rowWeight, 0LL, 25500LL);
        const std::uint8_t* l = layer.GetBits(y) + 3 * b.left;
        std::uint8_t* t = target.GetBits(y) + 3 * b.left;
        for (int x = b.left; x <= b.right; ++x, l += 3, t += 3) {
            // Carried on, the change swings the weight by up to 1500 and the
            // clamp lets it drift; steady, it stays within 500 of the row's.
            if (ripple) w = std::clamp((steadyRipple ? rowWeight : w) + (((x + py) % 11) - 5) * 100, 0LL, 25500LL);
            if (l[0] == 255 && l[1] == 255 && l[2] == 255) continue;
            const long long wl = 25500 - w;
            if (linear) {
                const float keep = static_cast<float>(w) / 25500.0f;
                for (int c = 0; c < 3; ++c)
                    t[c] = srgb.Encode(srgb.decode[t[c]] * keep + srgb.decode[l[c]] * (1.0f - keep));
                continue;
            }
            for (int c = 0; c < 3; ++c) t[c] = static_cast<std::uint8_t>((t[c] * w + l[c] * wl) / 25500);
        }
    }
    return true;
}
