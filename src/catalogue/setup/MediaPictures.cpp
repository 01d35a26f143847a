#include "catalogue/setup/MediaPictures.h"

#include "image/ImageCanvas.h"
#include "image/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

std::uint8_t ClampChannel(int v) noexcept
{
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

COLORREF AddToChannels(COLORREF c, int delta) noexcept
{
    return RGB(ClampChannel(GetRValue(c) + delta), ClampChannel(GetGValue(c) + delta),
               ClampChannel(GetBValue(c) + delta));
}

// Mixes a toward b by t / 256.
COLORREF Mix(COLORREF a, COLORREF b, int t) noexcept
{
    auto ch = [t](int x, int y) { return static_cast<unsigned>(x + ((y - x) * t) / 256); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

std::unique_ptr<CRaster> NewPicture(int width, int height, COLORREF fill)
{
    auto picture = std::make_unique<CRaster>();
    if (!picture->Create(width, height, 24))
        return nullptr;
    CImageCanvas(picture.get()).Clear(fill);
    return picture;
}

// Metallic sheen: light falls from the upper left, so the disc brightens in
// two opposite lobes around that direction; with `cross` two more lobes at
// right angles. The brightening at angle a is strength * max(0, cos(n (a - a0)))^p
// with n = 2 or 4 lobes, blended
// toward white, and it fades in over the outer rim and toward the hub.
void ApplySheen(CRaster& picture, int centre, int outer, int inner, CDFinish finish) noexcept
{
    const double a0 = 135.0 * std::numbers::pi / 180.0;
    const double lobes = finish.sheenCross ? 4.0 : 2.0;
    const double power = finish.sheenStrong ? 6.0 : 2.0;
    const double strength = finish.sheenStrong ? 200.0 : 150.0;
    const int outer2 = outer * outer;
    const int inner2 = inner * inner;
    for (int y = centre - outer; y <= centre + outer; ++y) {
        std::uint8_t* row = picture.GetBits(y);
        if (row == nullptr)
            continue;
        const int dy = y - centre;
        for (int x = centre - outer; x <= centre + outer; ++x) {
            const int dx = x - centre;
            const int d2 = dx * dx + dy * dy;
            if (d2 > outer2 || d2 < inner2)
                continue;
            const double c = std::cos(lobes * (std::atan2(dy, dx) - a0));
            const double lobe = c > 0 ? std::pow(c, power) : 0.0;
            // Radial modulation: a faint ring pattern like the light on a pressed surface.
            const double r = std::sqrt(static_cast<double>(d2));
            const double ring = 0.85 + 0.15 * std::cos(r * 0.21);
            const int t = static_cast<int>(strength * lobe * ring);
            if (t <= 0)
                continue;
            std::uint8_t* p = row + 3 * x;
            for (int k = 0; k < 3; ++k)
                p[k] = static_cast<std::uint8_t>(p[k] + ((255 - p[k]) * t) / 256);
        }
    }
}

// Moulded plastic is never perfectly flat: a fixed fine grain of +-3 per
// channel (a small linear congruential sequence, the same for every run).
void AddGrain(CRaster& picture) noexcept
{
    std::uint32_t seed = 0x1234567u;
    for (int y = 0; y < picture.GetHeight(); ++y) {
        std::uint8_t* p = picture.GetBits(y);
        for (int x = 0; x < picture.GetWidth(); ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int delta = static_cast<int>((seed >> 24) % 7u) - 3;
            for (int k = 0; k < 3; ++k)
                p[k] = ClampChannel(p[k] + delta);
        }
    }
}

} // namespace

COLORREF LightTone(COLORREF color) noexcept
{
    return AddToChannels(color, 32);
}

COLORREF DarkTone(COLORREF color) noexcept
{
    return AddToChannels(color, -16);
}

bool IsPaleTone(COLORREF color) noexcept
{
    return GetRValue(color) >= 193 && GetGValue(color) >= 193 && GetBValue(color) >= 193;
}

std::unique_ptr<CRaster> DrawCDPicture(COLORREF first, COLORREF second, COLORREF third, CDFinish finish)
{
    constexpr int r = kCDPictureSize / 2; // 346
    constexpr int c = r;                  // centre pixel
    auto picture = NewPicture(kCDPictureSize, kCDPictureSize, 0xFEFEFE);
    if (!picture)
        return nullptr;
    CImageCanvas canvas(picture.get());
    canvas.FilledCircle(0x000000, c, c, r);
    canvas.FilledCircle(second, c, c, r - 2);
    if (finish.grooves) {
        for (int radius = r - 4; radius >= 140; radius -= 3) {
            canvas.Circle(first, c, c, radius + 1);
            canvas.Circle(second, c, c, radius);
            canvas.Circle(third, c, c, radius - 1);
        }
    }
    canvas.FilledCircle(0x000000, c, c, 138);
    canvas.FilledCircle(0xBFBFBF, c, c, 110);
    canvas.FilledCircle(0x808080, c, c, 100);
    canvas.FilledCircle(0xFFFFFF, c, c, 98);
    canvas.FilledCircle(0x808080, c, c, 46);
    canvas.FilledCircle(0xFEFEFE, c, c, 40);
    if (finish.grooves)
        ApplySheen(*picture, c, r - 2, 139, finish);
    return picture;
}

MediaPictureSet DrawMediaPictures(MediaKind kind, COLORREF body, COLORREF light, COLORREF dark, COLORREF shutter)
{
    // Sizes in millimetres: floppy 89 x 93 x 3, zip 96 x 99 x 5.
    const bool floppy = kind == MediaKind::Floppy;
    const int s = kMediaPixelsPerMm;
    const int w = (floppy ? 89 : 96) * s;
    const int h = (floppy ? 93 : 99) * s;
    const int d = (floppy ? 3 : 5) * s;
    MediaPictureSet set;
    auto front = NewPicture(w, h, body);
    auto top = NewPicture(w, d, body);
    auto bottom = NewPicture(w, d, body);
    if (!front || !top || !bottom)
        return set;

    const COLORREF shutterLight = AddToChannels(shutter, 40);
    const COLORREF shutterDark = AddToChannels(shutter, -40);
    const COLORREF label = 0xF4F4F4;
    CImageCanvas f(front.get());
    // Moulded rim: light along the top and left, dark along the bottom and right.
    f.Frame(dark, 0, 0, w - 1, h - 1, s);
    f.FilledRectangle(light, 0, h - s, w - 1, h - 1);
    f.FilledRectangle(light, 0, 0, s - 1, h - 1);

    if (floppy) {
        // Chamfered upper-right corner.
        for (int i = 0; i < 4 * s; ++i)
            f.HorizontalLine(0xFEFEFE, w - 4 * s + i, w - 1, h - 1 - i);
        // Shutter: a metal plate across the upper middle with its slot.
        const int sx1 = 18 * s, sx2 = 68 * s, sy1 = h - 30 * s, sy2 = h - 1;
        f.FilledRectangle(shutter, sx1, sy1, sx2, sy2);
        f.FilledRectangle(shutterLight, sx1, sy2 - s, sx2, sy2);
        f.FilledRectangle(shutterDark, sx1, sy1, sx2, sy1 + s / 2);
        f.FilledRectangle(shutterDark, 46 * s, sy1 + 6 * s, 56 * s, sy2 - 4 * s);
        // Label area below, with a few writing lines.
        f.FilledRectangle(label, 8 * s, 4 * s, w - 8 * s, h - 38 * s);
        for (int line = 12; line < 50; line += 8)
            f.HorizontalLine(0xD0D0D0, 12 * s, w - 12 * s, line * s);
        // Write-protect window and the density hole.
        f.FilledRectangle(0x202020, 3 * s, 3 * s, 7 * s, 8 * s);
        f.FilledRectangle(0x202020, w - 7 * s, 3 * s, w - 3 * s, 8 * s);
    } else {
        // Zip disk: a large label field, the shutter along the bottom edge and
        // the ridged grip at the top.
        f.FilledRoundedRectangle(label, 10 * s, 40 * s, w - 10 * s, h - 12 * s, 4 * s);
        const int sx1 = 26 * s, sx2 = w - 26 * s, sy1 = 0, sy2 = 24 * s;
        f.FilledRectangle(shutter, sx1, sy1, sx2, sy2);
        f.FilledRectangle(shutterLight, sx1, sy2 - s, sx2, sy2);
        f.FilledRectangle(shutterDark, sx1, sy1, sx1 + s / 2, sy2);
        f.FilledRectangle(shutterDark, sx2 - s / 2, sy1, sx2, sy2);
        for (int ridge = 0; ridge < 5; ++ridge) {
            const int y = h - 4 * s - ridge * 3 * s / 2;
            f.HorizontalLine(dark, 30 * s, w - 30 * s, y);
            f.HorizontalLine(light, 30 * s, w - 30 * s, y + 1);
        }
        f.FilledRectangle(dark, 4 * s, 28 * s, 7 * s, 34 * s);
    }

    // Edges: the moulding seam runs along the middle; the top edge is lit.
    CImageCanvas t(top.get());
    t.Clear(Mix(body, light, 128));
    t.HorizontalLine(dark, 0, w - 1, d / 2);
    CImageCanvas b(bottom.get());
    b.Clear(Mix(body, dark, 128));
    b.HorizontalLine(dark, 0, w - 1, d / 2);
    if (!floppy) {
        // The zip shutter shows on the bottom edge too.
        b.FilledRectangle(shutter, 26 * s, 0, w - 26 * s, d - 1);
    }
    AddGrain(*top);
    AddGrain(*bottom);
    set.front = std::move(front);
    set.top = std::move(top);
    set.bottom = std::move(bottom);
    return set;
}

std::unique_ptr<CRaster> MakeThumbnail(const CRaster& source, int size)
{
    if (!source.IsValid() || source.GetBpp() != 24 || size <= 0)
        return nullptr;
    const int sw = source.GetWidth();
    const int sh = source.GetHeight();
    // Fit into size x size keeping the aspect ratio.
    int tw = size, th = size;
    if (sw >= sh)
        th = std::max(1, static_cast<int>(static_cast<std::int64_t>(sh) * size / sw));
    else
        tw = std::max(1, static_cast<int>(static_cast<std::int64_t>(sw) * size / sh));
    auto thumb = NewPicture(size, size, 0xFFFFFF);
    if (!thumb)
        return nullptr;
    const int ox = (size - tw) / 2;
    const int oy = (size - th) / 2;
    // Box average: target pixel (x, y) covers source columns x*sw/tw .. (x+1)*sw/tw - 1.
    for (int y = 0; y < th; ++y) {
        const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * sh / th);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<std::int64_t>(y + 1) * sh / th));
        std::uint8_t* out = thumb->GetBits(oy + y) + 3 * ox;
        for (int x = 0; x < tw; ++x) {
            const int x0 = static_cast<int>(static_cast<std::int64_t>(x) * sw / tw);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<std::int64_t>(x + 1) * sw / tw));
            std::uint32_t sum[3] = {0, 0, 0};
            for (int yy = y0; yy < y1; ++yy) {
                const std::uint8_t* in = source.GetBits(yy) + 3 * x0;
                for (int xx = x0; xx < x1; ++xx, in += 3) {
                    sum[0] += in[0];
                    sum[1] += in[1];
                    sum[2] += in[2];
                }
            }
            const std::uint32_t n = static_cast<std::uint32_t>((y1 - y0) * (x1 - x0));
            for (int k = 0; k < 3; ++k)
                out[3 * x + k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        }
    }
    return thumb;
}
