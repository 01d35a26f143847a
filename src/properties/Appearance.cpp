#include "properties/Appearance.h"

#include "image/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr std::uint32_t kTypeId = 10001, kPatternId = 10002, kGradientId = 10003, kColour1Id = 10004,
                        kColour2Id = 10005, kDivisorId = 10008, kCellId = 10009, kFitId = 10010,
                        kMagnificationId = 10013, kBaseWidthId = 10014, kBaseHeightId = 10015;

// Rows from the top down, highest bit leftmost; numbers 131 and 144..193.
constexpr std::uint8_t kPattern131[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0};
constexpr std::uint8_t kPatterns144[50][8] = {
    {0x3C, 0x18, 0x81, 0xC3, 0xC3, 0x81, 0x18, 0x3C}, // 144
    {0x7C, 0xF8, 0xF1, 0xE3, 0xC7, 0x8F, 0x1F, 0x3E}, // 145
    {0x3E, 0x1F, 0x8F, 0xC7, 0xE3, 0xF1, 0xF8, 0x7C}, // 146
    {0xE7, 0xE7, 0xE7, 0x00, 0x00, 0xE7, 0xE7, 0xE7}, // 147
    {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF}, // 148
    {0xE7, 0xE7, 0xE7, 0xE7, 0xE7, 0xE7, 0xE7, 0xE7}, // 149
    {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}, // 150
    {0xC3, 0xC3, 0xC3, 0xC3, 0xC3, 0xC3, 0xC3, 0xC3}, // 151
    {0xC3, 0xC3, 0x3C, 0x3C, 0x3C, 0x3C, 0xC3, 0xC3}, // 152
    {0x81, 0x00, 0x00, 0x18, 0x18, 0x00, 0x00, 0x81}, // 153
    {0x7E, 0xFF, 0xFF, 0xE7, 0xE7, 0xFF, 0xFF, 0x7E}, // 154
    {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}, // 155
    {0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81}, // 156
    {0x38, 0x70, 0xE0, 0xC1, 0x83, 0x07, 0x0E, 0x1C}, // 157
    {0x1C, 0x0E, 0x07, 0x83, 0xC1, 0xE0, 0x70, 0x38}, // 158
    {0x24, 0x00, 0x81, 0x00, 0x00, 0x81, 0x00, 0x24}, // 159
    {0x24, 0x24, 0xE7, 0x00, 0x00, 0xE7, 0x24, 0x24}, // 160
    {0x24, 0x24, 0xFF, 0x24, 0x24, 0xFF, 0x24, 0x24}, // 161
    {0x24, 0x24, 0xFF, 0x3C, 0x3C, 0xFF, 0x24, 0x24}, // 162
    {0x3C, 0x3C, 0xFF, 0xE7, 0xE7, 0xFF, 0x3C, 0x3C}, // 163
    {0xFF, 0x81, 0xBD, 0xBD, 0xBD, 0xBD, 0x81, 0xFF}, // 164
    {0xFF, 0x81, 0xBD, 0xA5, 0xA5, 0xBD, 0x81, 0xFF}, // 165
    {0xC3, 0xBD, 0x7E, 0x7E, 0x7E, 0x7E, 0xBD, 0xC3}, // 166
    {0xC3, 0xBD, 0x7E, 0x66, 0x66, 0x7E, 0xBD, 0xC3}, // 167
    {0xC3, 0xA5, 0x66, 0x00, 0x00, 0x66, 0xA5, 0xC3}, // 168
    {0xFF, 0xFF, 0xFF, 0x18, 0x18, 0xFF, 0xFF, 0xFF}, // 169
    {0xE7, 0xE7, 0xE7, 0xFF, 0xFF, 0xE7, 0xE7, 0xE7}, // 170
    {0xFF, 0xFF, 0x18, 0x18, 0x18, 0x18, 0xFF, 0xFF}, // 171
    {0xC3, 0xC3, 0xC3, 0xFF, 0xFF, 0xC3, 0xC3, 0xC3}, // 172
    {0xFF, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0xFF}, // 173
    {0x81, 0x81, 0x81, 0xFF, 0xFF, 0x81, 0x81, 0x81}, // 174
    {0xFF, 0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0xFF}, // 175
    {0x99, 0x99, 0x99, 0xFF, 0xFF, 0x99, 0x99, 0x99}, // 176
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}, // 177
    {0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC}, // 178
    {0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF}, // 179
    {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}, // 180
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF}, // 181
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, // 182
    {0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF}, // 183
    {0x33, 0xCC, 0x33, 0xCC, 0x33, 0xCC, 0x33, 0xCC}, // 184
    {0x55, 0x55, 0xAA, 0xAA, 0x55, 0x55, 0xAA, 0xAA}, // 185
    {0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F, 0xF0}, // 186
    {0x55, 0x55, 0x55, 0x55, 0xAA, 0xAA, 0xAA, 0xAA}, // 187
    {0xFF, 0xBF, 0x9F, 0x8F, 0x87, 0x83, 0x81, 0xFF}, // 188
    {0xFF, 0xFD, 0xF9, 0xF1, 0xE1, 0xC1, 0x81, 0xFF}, // 189
    {0xFF, 0x81, 0x83, 0x87, 0x8F, 0x9F, 0xBF, 0xFF}, // 190
    {0xFF, 0x81, 0xC1, 0xE1, 0xF1, 0xF9, 0xFD, 0xFF}, // 191
    {0x01, 0x7D, 0x45, 0x55, 0x55, 0x5D, 0x41, 0x7F}, // 192
    {0x00, 0xFE, 0x82, 0xBA, 0xA2, 0xBE, 0x80, 0xFF}, // 193
};

inline void PutPixel(std::uint8_t* p, COLORREF c) noexcept
{
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

// Shapes 8 to 13: the blend follows whichever of two linear ramps is larger,
// which splits the picture along a diagonal (8-11 from a corner, 12-13 from the
// centre); the result is (a p + b q) / (W H) with p + q = W H.
std::int64_t SplitChannel(int shape, std::int64_t a, std::int64_t b, std::int64_t x, std::int64_t y, std::int64_t W,
                          std::int64_t H) noexcept
{
    std::int64_t p, q;
    switch (shape) {
    case 8:
        if (W * y > x * H) { p = W * y; q = W * (H - y); }
        else { p = x * H; q = (W - x) * H; }
        break;
    case 9: {
        const std::int64_t xr = W - x;
        if (W * y > xr * H) { p = W * y; q = W * (H - y); }
        else { p = xr * H; q = x * H; }
        break;
    }
    case 10:
        if (W * (H - y) > x * H) { p = W * (H - y); q = W * y; }
        else { p = x * H; q = (W - x) * H; }
        break;
    case 11: {
        const std::int64_t xr = W - x;
        if (W * (H - y) <= xr * H) { p = xr * H; q = x * H; }
        else { p = W * (H - y); q = W * y; }
        break;
    }
    case 12: {
        const std::int64_t dx = std::llabs(2 * x - W), dy = std::llabs(2 * y - H);
        if (W * (H - dy) > H * (W - dx)) { p = W * (H - dy); q = W * dy; }
        else { p = H * (W - dx); q = H * dx; }
        break;
    }
    default: { // 13
        const std::int64_t dx = std::llabs(2 * x - W), dy = std::llabs(2 * y - H);
        if (W * dy <= H * dx) { p = H * dx; q = H * (W - dx); }
        else { p = W * dy; q = W * (H - dy); }
        break;
    }
    }
    return (a * p + b * q) / (W * H);
}

// Shapes 14 (A at the centre) and 15 (A at the corners): a round blend by the
// distance from the centre, in doubles, rounded to the nearest.
std::int64_t RoundChannel(int shape, std::int64_t a, std::int64_t b, std::int64_t x, std::int64_t y, std::int64_t W,
                          std::int64_t H) noexcept
{
    double fx = static_cast<double>(W - std::llabs(2 * x - W)) / static_cast<double>(W);
    double fy = static_cast<double>(H - std::llabs(2 * y - H)) / static_cast<double>(H);
    if (shape == 15) {
        fx = 1.0 - fx;
        fy = 1.0 - fy;
    }
    const double r = std::min(1.0, std::sqrt(fx * fx + fy * fy));
    return std::llround(static_cast<double>(a) * r + static_cast<double>(b) * (1.0 - r));
}

// One channel of gradient shape `shape` at (x, y), y counted from the top row.
// a is the channel of the first colour A, b of the second colour B.
std::int64_t GradientChannel(int shape, std::int64_t a, std::int64_t b, std::int64_t x, std::int64_t y,
                             std::int64_t W, std::int64_t H) noexcept
{
    switch (shape) {
    case 1:
        return (b * (H - y) + a * y) / H;
    case 2: {
        const std::int64_t d = std::llabs(2 * x - W);
        return (a * d + b * (W - d)) / W;
    }
    case 3: {
        const std::int64_t d = std::llabs(2 * y - H);
        return (a * d + b * (H - d)) / H;
    }
    case 4:
        return ((b * (W - x) + a * x) / W + (b * (H - y) + a * y) / H) / 2;
    case 5:
        return ((b * (W - x) + a * x) / W + (a * (H - y) + b * y) / H) / 2;
    case 6: {
        const std::int64_t S = W + H, d = std::llabs(2 * (x + y) - S);
        return (a * (S - d) + b * d) / S;
    }
    case 7: {
        const std::int64_t S = W + H, d = std::llabs(2 * ((H - y) + x) - S);
        return (a * (S - d) + b * d) / S;
    }
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
        return SplitChannel(shape, a, b, x, y, W, H);
    case 14:
    case 15:
        return RoundChannel(shape, a, b, x, y, W, H);
    default:
        return (b * (W - x) + a * x) / W;
    }
}

bool ValidSize(int width, int height) noexcept
{
    return width > 0 && height > 0 && width <= CRaster::kMaxDimension && height <= CRaster::kMaxDimension;
}

// `unset`: the rows are left as allocated, for a caller that writes them all.
std::unique_ptr<CRaster> NewPicture(int width, int height, bool unset = false)
{
    if (!ValidSize(width, height))
        return nullptr;
    auto picture = std::make_unique<CRaster>();
    if ((unset ? picture->CreateUnset(width, height, 24) : picture->Create(width, height, 24)) == nullptr)
        return nullptr;
    return picture;
}

} // namespace

bool GetAppearanceSize(const SettingStore& settings, int& width, int& height) noexcept
{
    width = height = 0;
    const std::int64_t k = settings.GetInt(SideKey(kMagnificationId));
    const std::int64_t bw = settings.GetInt(SideKey(kBaseWidthId));
    const std::int64_t bh = settings.GetInt(SideKey(kBaseHeightId));
    if (k <= 0 || bw <= 0 || bh <= 0)
        return false;
    const std::int64_t w = k * bw, h = k * bh;
    if (w > std::numeric_limits<int>::max() || h > std::numeric_limits<int>::max())
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

void PaintGradient(CRaster& picture, int style, COLORREF colour1, COLORREF colour2) noexcept
{
    if (!picture.IsValid() || picture.GetBpp() != 24)
        return;
    COLORREF A = colour1, B = colour2;
    int shape = style;
    if (style >= 16) {
        A = colour2;
        B = colour1;
        shape = style - 16;
    }
    const std::int64_t W = picture.GetWidth(), H = picture.GetHeight();
    const std::int64_t ar = GetRValue(A), ag = GetGValue(A), ab = GetBValue(A);
    const std::int64_t br = GetRValue(B), bg = GetGValue(B), bb = GetBValue(B);
    for (std::int64_t y = 0; y < H; ++y) {
        // y counts from the top row; memory rows run bottom-up.
        std::uint8_t* row = picture.GetBits(static_cast<int>(H - 1 - y));
        for (std::int64_t x = 0; x < W; ++x) {
            const auto r = GradientChannel(shape, ar, br, x, y, W, H) & 0xFF;
            const auto g = GradientChannel(shape, ag, bg, x, y, W, H) & 0xFF;
            const auto b = GradientChannel(shape, ab, bb, x, y, W, H) & 0xFF;
            PutPixel(row + x * 3, RGB(static_cast<unsigned>(r), static_cast<unsigned>(g), static_cast<unsigned>(b)));
        }
    }
}

int GetTextureBlockSize(int divisor, int magnification) noexcept
{
    int t = divisor, m = magnification;
    while (t > 1 && m > 1) {
        t /= 2;
        m /= 2;
    }
    return std::max(m, 1);
}

void PaintTexture(CRaster& picture, const CRaster& texture, int blockSize) noexcept
{
    if (!picture.IsValid() || picture.GetBpp() != 24 || !texture.IsValid())
        return;
    const int m = std::max(blockSize, 1);
    const int W = picture.GetWidth(), H = picture.GetHeight();
    const int tw = texture.GetWidth(), th = texture.GetHeight();
    const bool direct = texture.GetBpp() == 24;
    for (int y = 0; y < H; ++y) {
        // Both pictures are walked from their top rows.
        const int ty = th - 1 - (y / m) % th;
        std::uint8_t* row = picture.GetBits(H - 1 - y);
        const std::uint8_t* trow = texture.GetBits(ty);
        for (int x = 0; x < W; ++x) {
            const int tx = (x / m) % tw;
            std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            if (direct) {
                std::memcpy(p, trow + static_cast<std::size_t>(tx) * 3, 3);
            } else {
                const RGBQUAD q = texture.GetPixelColor(tx, ty);
                p[0] = q.rgbBlue;
                p[1] = q.rgbGreen;
                p[2] = q.rgbRed;
            }
        }
    }
}

const std::uint8_t* GetPatternBitmap(int number) noexcept
{
    if (number == 131)
        return kPattern131;
    if (number >= 144 && number <= 193)
        return kPatterns144[number - 144];
    return nullptr;
}

bool PaintPattern(CRaster& picture, int number, int cellSize, COLORREF colour1, COLORREF colour2) noexcept
{
    const std::uint8_t* bits = GetPatternBitmap(number);
    if (!bits || !picture.IsValid() || picture.GetBpp() != 24)
        return false;
    const int c = std::max(cellSize, 1);
    const int W = picture.GetWidth(), H = picture.GetHeight();
    for (int y = 0; y < H; ++y) {
        const std::uint8_t rowBits = bits[(y / c) % 8];
        std::uint8_t* row = picture.GetBits(H - 1 - y);
        for (int x = 0; x < W; ++x) {
            const bool set = (rowBits >> (7 - (x / c) % 8)) & 1;
            PutPixel(row + static_cast<std::size_t>(x) * 3, set ? colour2 : colour1);
        }
    }
    return true;
}

SFitCrop GetFitCrop(std::int64_t sw, std::int64_t sh, int faceWidth, int faceHeight, int fit)
{
    SFitCrop crop{sw, sh, 0, 0};
    if (sw * faceHeight > sh * faceWidth) {
        crop.width = std::max<std::int64_t>(1, (sh * faceWidth + faceHeight / 2) / faceHeight);
        const std::int64_t excess = sw - crop.width;
        crop.x = fit == kFitStart ? 0 : fit == kFitMiddle ? excess / 2 : excess;
    } else {
        crop.height = std::max<std::int64_t>(1, (sw * faceHeight + faceWidth / 2) / faceWidth);
        const std::int64_t excess = sh - crop.height;
        crop.yTop = fit == kFitStart ? 0 : fit == kFitMiddle ? excess / 2 : excess;
    }
    return crop;
}

std::unique_ptr<CRaster> FitPicture(const CRaster& source, int faceWidth, int faceHeight, int fit)
{
    if (!source.IsValid())
        return nullptr;
    const std::int64_t sw = source.GetWidth(), sh = source.GetHeight();
    const bool sameRatio = faceWidth <= 0 || faceHeight <= 0 || sw * faceHeight == sh * faceWidth;
    if (fit == kFitNone || sameRatio || fit < kFitNone || fit > kFitEnd) {
        auto copy = std::make_unique<CRaster>();
        if (!copy->Copy(source))
            return nullptr;
        return copy;
    }
    if (fit == kFitStretch) {
        auto out = NewPicture(faceWidth, faceHeight);
        if (!out)
            return nullptr;
        // Nearest source pixel at the proportional position, no averaging.
        for (int y = 0; y < faceHeight; ++y) {
            const int sy = static_cast<int>(static_cast<std::int64_t>(y) * sh / faceHeight);
            std::uint8_t* row = out->GetBits(y);
            for (int x = 0; x < faceWidth; ++x) {
                const int sx = static_cast<int>(static_cast<std::int64_t>(x) * sw / faceWidth);
                const RGBQUAD q = source.GetPixelColor(sx, sy);
                row[x * 3] = q.rgbBlue;
                row[x * 3 + 1] = q.rgbGreen;
                row[x * 3 + 2] = q.rgbRed;
            }
        }
        return out;
    }
    // Crop at the source's resolution to the face's ratio.
    const SFitCrop crop = GetFitCrop(sw, sh, faceWidth, faceHeight, fit);
    const std::int64_t cw = crop.width, ch = crop.height, ox = crop.x, oyTop = crop.yTop;
    auto out = NewPicture(static_cast<int>(cw), static_cast<int>(ch));
    if (!out)
        return nullptr;
    // Memory rows are bottom-up: the crop's top row is source row sh - 1 - oyTop.
    const std::int64_t bottom = sh - oyTop - ch;
    for (std::int64_t y = 0; y < ch; ++y) {
        std::uint8_t* row = out->GetBits(static_cast<int>(y));
        for (std::int64_t x = 0; x < cw; ++x) {
            const RGBQUAD q = source.GetPixelColor(static_cast<int>(ox + x), static_cast<int>(bottom + y));
            row[x * 3] = q.rgbBlue;
            row[x * 3 + 1] = q.rgbGreen;
            row[x * 3 + 2] = q.rgbRed;
        }
    }
    return out;
}

namespace {

COLORREF Colour1(const SettingStore& s) noexcept
{
    return static_cast<COLORREF>(s.GetInt(SideKey(kColour1Id))) & 0xFFFFFF;
}

COLORREF Colour2(const SettingStore& s) noexcept
{
    return static_cast<COLORREF>(s.GetInt(SideKey(kColour2Id))) & 0xFFFFFF;
}

// Writes every byte of the rows: one row is made (the bytes past its last
// pixel 255, as a white picture has them) and copied to the others.
void PaintColour(CRaster& out, const SettingStore& s, const CRaster*)
{
    const RGBQUAD c = RGBtoRGBQUAD(Colour1(s));
    const std::size_t bytes = static_cast<std::size_t>(out.GetEffWidth());
    std::vector<std::uint8_t> row(bytes, 0xFF);
    for (std::size_t x = 0; x + 3 <= static_cast<std::size_t>(out.GetWidth()) * 3; x += 3) {
        row[x] = c.rgbBlue;
        row[x + 1] = c.rgbGreen;
        row[x + 2] = c.rgbRed;
    }
    for (int y = 0; y < out.GetHeight(); ++y)
        std::memcpy(out.GetBits(y), row.data(), bytes);
}

void PaintGradientKind(CRaster& out, const SettingStore& s, const CRaster*)
{
    PaintGradient(out, s.GetInt(SideKey(kGradientId)), Colour1(s), Colour2(s));
}

void PaintTextureKind(CRaster& out, const SettingStore& s, const CRaster* texture)
{
    if (texture)
        PaintTexture(out, *texture,
                     GetTextureBlockSize(s.GetInt(SideKey(kDivisorId)), s.GetInt(SideKey(kMagnificationId))));
}

void PaintPatternKind(CRaster& out, const SettingStore& s, const CRaster*)
{
    // The cell in base pixels times the magnification, at least one pixel.
    const std::int64_t cell =
        static_cast<std::int64_t>(s.GetInt(SideKey(kCellId))) * s.GetInt(SideKey(kMagnificationId));
    const int c = static_cast<int>(std::clamp<std::int64_t>(cell, 1, std::numeric_limits<int>::max()));
    PaintPattern(out, s.GetInt(SideKey(kPatternId)), c, Colour1(s), Colour2(s));
}

constexpr AppearanceKind kAppearanceKinds[] = {
    {kAppearancePicture, "picture", nullptr, false},
    {kAppearanceColor, "colour", &PaintColour, false},
    {kAppearanceGradient, "gradient", &PaintGradientKind, false},
    {kAppearanceTexture, "texture", &PaintTextureKind, true},
    {kAppearancePattern, "pattern", &PaintPatternKind, false},
};

} // namespace

bool BuildAppearance(const SettingStore& settings, std::unique_ptr<CRaster>& picture, const CRaster* texture)
{
    const int type = settings.GetInt(SideKey(kTypeId));
    int width = 0, height = 0;
    const bool sized = GetAppearanceSize(settings, width, height);
    if (type == kAppearancePicture) {
        if (!picture || !picture->IsValid())
            return true;  // no picture chosen yet
        const int fit = settings.GetInt(SideKey(kFitId));
        if (fit == kFitNone || !sized)
            return true;
        auto fitted = FitPicture(*picture, width, height, fit);
        if (!fitted)
            return false;
        picture = std::move(fitted);
        return true;
    }
    picture.reset();
    if (!sized)
        return false;
    auto out = NewPicture(width, height, true);
    if (!out)
        return false;
    // A type without a painter (or a pattern that does not exist) leaves the
    // picture white rather than with undefined bytes; a colour is written over
    // every byte.
    if (type != kAppearanceColor) out->Clear(0xFF);
    if (const AppearanceKind* kind = FindAppearanceKind(type); kind && kind->paint)
        kind->paint(*out, settings, texture);
    picture = std::move(out);
    return true;
}

std::span<const AppearanceKind> GetAppearanceKinds() noexcept
{
    return kAppearanceKinds;
}

const AppearanceKind* FindAppearanceKind(std::int32_t type) noexcept
{
    for (const AppearanceKind& kind : kAppearanceKinds)
        if (kind.type == type)
            return &kind;
    return nullptr;
}

bool IsDrawnFromSettings(std::int32_t type) noexcept
{
    const AppearanceKind* kind = FindAppearanceKind(type);
    return kind && kind->paint && !kind->usesTexture;
}
