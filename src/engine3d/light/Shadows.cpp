#include "engine3d/light/Shadows.h"

#include "engine3d/surface/EngineSettings.h"
#include "engine3d/light/Lighting.h"
#include "engine3d/light/StudioShadow.h"
#include "image/Raster.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    if (settings.shadowStyle == kStudioShadowStyle) {
        AddStudioShadows(mesh, shadowSource, settings);
        return;
    }
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

namespace {

#if defined(__SSE2__)
// Five pixels (15 bytes) per step while at least six remain, so that the
// 16-byte loads stay inside the row's pixels; byte 15 (the next pixel's
// first) is written back unchanged. As the weights add up to 255, every
// product and their sum fit 16 bits. Returns the pixels done.
int BlendRowWide(const std::uint8_t* layer, std::uint8_t* target, int pixels, int weight) noexcept
{
    const __m128i wl = _mm_set1_epi16(static_cast<short>(255 - weight));
    const __m128i wt = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi8(-1);
    const __m128i firsts = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i lastByte = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    int done = 0;
    for (; pixels - done >= 6; done += 5) {
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 3 * done));
        const __m128i w255 = _mm_cmpeq_epi8(l, ones);
        if ((_mm_movemask_epi8(w255) & 0x7FFF) == 0x7FFF) continue; // five white pixels: no shadow
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + 3 * done));
        auto mix = [&](__m128i lw, __m128i tw) {
            return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(lw, wl), _mm_mullo_epi16(tw, wt)), 8);
        };
        const __m128i mixed = _mm_packus_epi16(mix(_mm_unpacklo_epi8(l, zero), _mm_unpacklo_epi8(t, zero)),
                                               mix(_mm_unpackhi_epi8(l, zero), _mm_unpackhi_epi8(t, zero)));
        // White layer pixels: all three bytes 255, marked on the pixel's
        // first byte and spread to the other two.
        __m128i white = _mm_and_si128(firsts, _mm_and_si128(w255, _mm_and_si128(_mm_srli_si128(w255, 1),
                                                                                 _mm_srli_si128(w255, 2))));
        white = _mm_or_si128(white, _mm_or_si128(_mm_slli_si128(white, 1), _mm_slli_si128(white, 2)));
        const __m128i keep = _mm_or_si128(_mm_or_si128(white, lastByte), _mm_cmpeq_epi8(l, t));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 3 * done),
                         _mm_or_si128(_mm_and_si128(keep, t), _mm_andnot_si128(keep, mixed)));
    }
    return done;
}
#endif

} // namespace

void CShadowBlender::BlendRow(const std::uint8_t* layer, std::uint8_t* target, int pixels, int weight) noexcept
{
    int x = 0;
#if defined(__SSE2__)
    x = BlendRowWide(layer, target, pixels, weight);
#endif
    BlendRowReference(layer + 3 * x, target + 3 * x, pixels - x, weight);
}

void CShadowBlender::BlendRowReference(const std::uint8_t* layer, std::uint8_t* target, int pixels,
                                       int weight) noexcept
{
    for (const std::uint8_t *l = layer, *end = layer + 3 * pixels; l < end; l += 3) {
        std::uint8_t* t = target + (l - layer);
        if (l[0] == 255 && l[1] == 255 && l[2] == 255) continue;
        for (int c = 0; c < 3; ++c)
            if (l[c] != t[c]) t[c] = static_cast<std::uint8_t>((l[c] * (255 - weight) + t[c] * weight) >> 8);
    }
}

bool CShadowBlender::Blend(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept
{
    if (!layer.IsValid() || !target.IsValid() || layer.GetBpp() != 24 || target.GetBpp() != 24 ||
        layer.GetWidth() != target.GetWidth() || layer.GetHeight() != target.GetHeight())
        return false;
    weight = std::clamp(weight, 0, 255);
    const CBoundingBox b = box.ClippedTo(target.GetWidth(), target.GetHeight());
    if (b.IsEmpty()) return true;
    for (int y = b.bottom; y <= b.top; ++y)
        BlendRow(layer.GetBits(y) + 3 * b.left, target.GetBits(y) + 3 * b.left, b.right - b.left + 1, weight);
    return true;
}

void MultiplyByShade(const CRaster& shade, CRaster& target, const CBoundingBox& box) noexcept
{
    const CBoundingBox b = box.ClippedTo(target.GetWidth(), target.GetHeight());
    if (b.IsEmpty() || shade.GetWidth() != target.GetWidth() || shade.GetHeight() != target.GetHeight()) return;
    for (int y = b.bottom; y <= b.top; ++y) {
        const std::uint8_t* s = shade.GetBits(y) + 3 * b.left;
        std::uint8_t* t = target.GetBits(y) + 3 * b.left;
        for (int i = 0; i < 3 * (b.right - b.left + 1); ++i)
            t[i] = static_cast<std::uint8_t>((t[i] * s[i] + 127) / 255);
    }
}

bool BlendShadowLayer(const CRaster& layer, CRaster& target, int weight, const CBoundingBox& box) noexcept
{
    static CShadowBlender blender; // keeps its table while the weight stays
    return blender.Blend(layer, target, weight, box);
}
