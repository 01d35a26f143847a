#include "render/effects/BackdropSweep.h"

#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The curve of the paper lies between these shares of the picture's height.
constexpr double kCurveFrom = 0.30, kCurveTo = 0.70;

} // namespace

double SweepRowLight(int y, int height) noexcept
{
    const double t = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
    if (t <= kCurveFrom) return 1.0;
    if (t < kCurveTo) {
        const double u = (t - kCurveFrom) / (kCurveTo - kCurveFrom);
        return 1.0 - (1.0 - kSweepWall) * u * u * (3.0 - 2.0 * u); // smoothstep: no edge where the curve begins or ends
    }
    return kSweepWall - (kSweepWall - kSweepTop) * (t - kCurveTo) / (1.0 - kCurveTo);
}

double SweepColumnLight(int x, int width) noexcept
{
    if (width < 2) return 1.0;
    const double u = (2.0 * x - (width - 1)) / (width - 1); // -1 .. 1
    return 1.0 - kSweepSides * u * u;
}

namespace {

// Whether the first `width` pixels of a row are all one colour: each pixel
// equals the one after it.
bool IsOneColour(const std::uint8_t* p, int width) noexcept
{
    return width < 2 || std::memcmp(p, p + 3, 3 * static_cast<std::size_t>(width - 1)) == 0;
}

// A row of one colour under the light row * columns[x]. The light of column x
// and of column width - 1 - x is the same number (the column light depends on
// the square of a position mirrored about the centre, exactly), so with
// `mirrored` only the left half is worked out; a grey is encoded once.
void SweepOneColourRow(std::uint8_t* p, int width, float row, const std::vector<float>& columns,
                       bool mirrored) noexcept
{
    const CSrgbTables& t = SrgbTables();
    const float d[3] = {t.decode[p[0]], t.decode[p[1]], t.decode[p[2]]};
    const bool grey = p[0] == p[1] && p[1] == p[2];
    const int worked = mirrored ? (width + 1) / 2 : width;
    for (int x = 0; x < worked; ++x) {
        const float light = row * columns[static_cast<std::size_t>(x)];
        std::uint8_t* q = p + 3 * x;
        if (grey) {
            q[0] = q[1] = q[2] = t.Encode(d[0] * light);
        } else {
            for (int c = 0; c < 3; ++c) q[c] = t.Encode(d[c] * light);
        }
    }
    for (int x = worked; x < width; ++x) std::memcpy(p + 3 * x, p + 3 * (width - 1 - x), 3);
}

} // namespace

// Most grounds are one colour (a plain background): such a row is worked out
// once per distinct light and copied while the light stays the same (the
// table part of the sweep, where the light is 1 in every row).
void ApplyBackdropSweep(const CPixelView& band, int firstRow, int width, int height) noexcept
{
    const CSrgbTables& t = SrgbTables();
    const int w = band.GetWidth();
    std::vector<float> columns(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) columns[static_cast<std::size_t>(x)] = static_cast<float>(SweepColumnLight(x, width));
    const std::uint8_t* done = nullptr; // the last one-colour row worked out, and its colour and light
    std::uint8_t doneColour[3] = {};
    float doneLight = 0.0f;
    for (int y = 0; y < band.GetHeight(); ++y) {
        const float row = static_cast<float>(SweepRowLight(firstRow + y, height));
        std::uint8_t* p = band.Row(y);
        if (w > 0 && IsOneColour(p, w)) {
            if (done && row == doneLight && std::memcmp(p, doneColour, 3) == 0) {
                std::memcpy(p, done, 3 * static_cast<std::size_t>(w));
                continue;
            }
            std::memcpy(doneColour, p, 3);
            SweepOneColourRow(p, w, row, columns, w == width);
            done = p;
            doneLight = row;
            continue;
        }
        for (int x = 0; x < w; ++x, p += 3) {
            const float light = row * columns[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c) p[c] = t.Encode(t.decode[p[c]] * light);
        }
    }
}
