#include "render/effects/FinishingEffects.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

inline std::uint8_t Clamp255(int v) noexcept
{
    return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Pixel bytes are blue, green, red.
struct SBgr {
    int b, g, r;
};

inline SBgr FromColorRef(std::uint32_t c) noexcept
{
    return SBgr{static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>(c & 0xFF)};
}

// (P * a + C * (255 - a)) / 255 on each channel; a in 0..255.
inline void BlendPixel(const CPixelView& image, int x, int y, const SBgr& c, int a) noexcept
{
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return;
    std::uint8_t* p = image.At(x, y);
    const int na = 255 - a;
    p[0] = static_cast<std::uint8_t>((p[0] * a + c.b * na) / 255);
    p[1] = static_cast<std::uint8_t>((p[1] * a + c.g * na) / 255);
    p[2] = static_cast<std::uint8_t>((p[2] * a + c.r * na) / 255);
}

}  // namespace

void ApplyEmboss(const CPixelView& image)
{
    if (!image.IsValid()) return;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    // Results are computed from the unchanged picture, so keep a copy of it.
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    std::vector<std::uint8_t> source(rowBytes * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) std::memcpy(source.data() + rowBytes * y, image.Row(y), rowBytes);
    auto read = [&](int x, int y, int ch) -> int {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;  // outside reads as black
        return source[rowBytes * y + 3 * static_cast<std::size_t>(x) + ch];
    };
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = image.Row(y);
        for (int x = 0; x < w; ++x)
            for (int ch = 0; ch < 3; ++ch)
                row[3 * x + ch] = Clamp255(read(x - 1, y + 1, ch) - read(x + 1, y - 1, ch) + 127);
    }
}

void ApplyColorEffect(const CPixelView& image, int style, std::uint32_t color) noexcept
{
    if (!image.IsValid()) return;
    if (style < kEffectColorize || style > kEffectEmboss) style = kEffectGrayScale;
    if (style == kEffectEmboss) {
        try {
            ApplyEmboss(image);
        } catch (...) {
            // Out of memory for the scratch copy: the picture stays as it was.
        }
        return;
    }
    const SBgr c = FromColorRef(color);
    const int w = image.GetWidth();
    for (int y = 0; y < image.GetHeight(); ++y) {
        std::uint8_t* p = image.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const int s = p[0] + p[1] + p[2];
            switch (style) {
            case kEffectColorize:
                p[0] = static_cast<std::uint8_t>(s * c.b / 765);
                p[1] = static_cast<std::uint8_t>(s * c.g / 765);
                p[2] = static_cast<std::uint8_t>(s * c.r / 765);
                break;
            case kEffectGrayScale:
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(s / 3);
                break;
            case kEffectColorNegative:
                p[0] = static_cast<std::uint8_t>(255 - p[0]);
                p[1] = static_cast<std::uint8_t>(255 - p[1]);
                p[2] = static_cast<std::uint8_t>(255 - p[2]);
                break;
            default:  // black and white negative
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>((765 - s) / 3);
                break;
            }
        }
    }
}

void ApplyBevel(const CPixelView& image, int style, int size, std::uint32_t color) noexcept
{
    if (!image.IsValid() || size <= 0) return;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    SBgr a{128, 128, 128};
    SBgr b{224, 224, 224};  // "Indent", also any unknown style
    if (style == kBevelButtonize) std::swap(a, b);
    if (style == kBevelColorFade) a = b = FromColorRef(color);
    // Rings beyond the middle of the picture have no pixels left to touch.
    const int rings = std::min(size, std::max(w, h) / 2 + 1);
    for (int k = 0; k < rings; ++k) {
        // Color Fade: full colour at the outer ring, almost none at the inner one.
        const int weight = style == kBevelColorFade
                               ? static_cast<int>(255LL * k / size)
                               : 128;
        for (int x = k; x <= w - 1 - k; ++x) {
            BlendPixel(image, x, k, b, weight);          // bottom edge
            BlendPixel(image, x, h - 1 - k, a, weight);  // top edge
        }
        for (int y = k + 1; y <= h - 2 - k; ++y) {
            BlendPixel(image, k, y, a, weight);          // left edge
            BlendPixel(image, w - 1 - k, y, b, weight);  // right edge
        }
    }
}

void ApplyBorder(const CPixelView& image, int size, std::uint32_t color) noexcept
{
    if (!image.IsValid() || size <= 0) return;
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    const SBgr c = FromColorRef(color);
    auto fill = [&](std::uint8_t* row, int x1, int x2) {
        x1 = std::max(x1, 0);
        x2 = std::min(x2, w - 1);
        for (int x = x1; x <= x2; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(c.b);
            row[3 * x + 1] = static_cast<std::uint8_t>(c.g);
            row[3 * x + 2] = static_cast<std::uint8_t>(c.r);
        }
    };
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = image.Row(y);
        if (y < size || y >= h - size) {
            fill(row, 0, w - 1);
        } else {
            fill(row, 0, size - 1);
            fill(row, w - size, w - 1);
        }
    }
}

// Works in hundredths of a channel step. Contrast pivots on mid-grey, 128.00
// (12800 hundredths), so that raising the contrast darkens the dark half and
// brightens the light half. Divisions truncate toward zero; values may be
// negative after the contrast step.
int ColorBalanceChannel(int c, int brightness, int contrast, int balance) noexcept
{
    long long v = (100LL * c + 1) * brightness / 100 - 1;
    if (contrast != 100) v = (v - 12800) * contrast / 100 + 12800;
    v = (v * balance / 100) / 100;
    return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v));
}

void ApplyColorBalance(const CPixelView& image, int brightness, int contrast, int red, int green,
                       int blue) noexcept
{
    if (!image.IsValid()) return;
    if (brightness == 100 && contrast == 100 && red == 100 && green == 100 && blue == 100) return;
    // One table per channel: the arithmetic depends only on the channel value.
    std::uint8_t tb[256], tg[256], tr[256];
    for (int c = 0; c < 256; ++c) {
        tb[c] = static_cast<std::uint8_t>(ColorBalanceChannel(c, brightness, contrast, blue));
        tg[c] = static_cast<std::uint8_t>(ColorBalanceChannel(c, brightness, contrast, green));
        tr[c] = static_cast<std::uint8_t>(ColorBalanceChannel(c, brightness, contrast, red));
    }
    const int w = image.GetWidth();
    for (int y = 0; y < image.GetHeight(); ++y) {
        std::uint8_t* p = image.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = tb[p[0]];
            p[1] = tg[p[1]];
            p[2] = tr[p[2]];
        }
    }
}
