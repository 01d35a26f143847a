#include "render/effects/BackdropSweep.h"

#include "engine3d/sampling/PixelRuns.h"
#include "engine3d/surface/FaceShade.h"
#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
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

// Whether the light only grows from the left edge to the centre (columns
// 0 .. worked - 1) and the encoding table with it: the levels of a row of
// one colour then only grow there too, and change in a few steps.
bool GrowsToTheCentre(const std::vector<float>& columns, int worked) noexcept
{
    static const bool encodeGrows = [] {
        const CSrgbTables& t = SrgbTables();
        return std::is_sorted(t.encode.begin(), t.encode.end());
    }();
    return encodeGrows && std::is_sorted(columns.begin(), columns.begin() + worked);
}

// Whether the uncovered columns of a row of `width` pixels are all of one
// colour; if so, the covered ones are given that colour too, so that the
// row is one of one colour (each pixel of the sweep depends only on its own
// colour and column, so the uncovered ones come out as they would have).
bool MakeOneColour(std::uint8_t* p, int width, const CCoveredRow& covered) noexcept
{
    const std::uint8_t* first = nullptr;
    bool one = true;
    covered.ForEachUncovered(width, [&](int from, int to) {
        if (!one) return;
        if (first == nullptr) first = p + 3 * from;
        one = std::memcmp(first, p + 3 * from, 3) == 0 && IsOneColour(p + 3 * from, to - from + 1);
    });
    if (!one || first == nullptr) return false;
    std::uint8_t colour[3];
    std::memcpy(colour, first, 3);
    for (int i = 0; i < covered.count; ++i)
        FillPixelRun(p + 3 * covered.from[i], covered.to[i] - covered.from[i] + 1, colour[0], colour[1], colour[2]);
    return true;
}

// A row of one colour under the light row * columns[x]. The light of column x
// and of column width - 1 - x is the same number (the column light depends on
// the square of a position mirrored about the centre, exactly), so with
// `mirrored` only the left half is worked out, and there, with `runs` (the
// levels only grow towards the centre), a run of one level at a time: its
// end found by doubling steps and halving (each level is worked out as for
// its own pixel), the run and its mirror image filled. A grey is encoded once.
void SweepOneColourRow(std::uint8_t* p, int width, float row, const std::vector<float>& columns, bool mirrored,
                       bool runs) noexcept
{
    const CSrgbTables& t = SrgbTables();
    const float d[3] = {t.decode[p[0]], t.decode[p[1]], t.decode[p[2]]};
    const bool grey = p[0] == p[1] && p[1] == p[2];
    const int worked = mirrored ? (width + 1) / 2 : width;
    auto level = [&](int x, std::uint8_t* q) {
        const float light = row * columns[static_cast<std::size_t>(x)];
        if (grey) {
            q[0] = q[1] = q[2] = t.Encode(d[0] * light);
        } else {
            for (int c = 0; c < 3; ++c) q[c] = t.Encode(d[c] * light);
        }
    };
    if (!mirrored || !runs) {
        for (int x = 0; x < worked; ++x) level(x, p + 3 * x);
        for (int x = worked; x < width; ++x) std::memcpy(p + 3 * x, p + 3 * (width - 1 - x), 3);
        return;
    }
    auto same = [&](int x, const std::uint8_t* v) {
        std::uint8_t q[3];
        level(x, q);
        return q[0] == v[0] && q[1] == v[1] && q[2] == v[2];
    };
    for (int x = 0; x < worked;) {
        std::uint8_t v[3];
        level(x, v);
        int lo = x, step = 1; // lo has the level v; find the last that has
        int hi = x + step;
        while (hi < worked && same(hi, v)) {
            lo = hi;
            step *= 2;
            hi = x + step;
        }
        hi = std::min(hi, worked);
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            (same(mid, v) ? lo : hi) = mid;
        }
        FillPixelRun(p + 3 * x, lo - x + 1, v[0], v[1], v[2]);
        const int mirrorFrom = std::max(width - 1 - lo, worked);
        if (mirrorFrom <= width - 1 - x) FillPixelRun(p + 3 * mirrorFrom, width - x - mirrorFrom, v[0], v[1], v[2]);
        x = lo + 1;
    }
}

} // namespace

// Most grounds are one colour (a plain background): such a row is worked out
// once per distinct light and copied while the light stays the same (the
// table part of the sweep, where the light is 1 in every row).
void ApplyBackdropSweep(const CPixelView& band, int firstRow, int width, int height,
                        const CCoveredRow* covered) noexcept
{
    const int w = band.GetWidth();
    std::vector<float> columns(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) columns[static_cast<std::size_t>(x)] = static_cast<float>(SweepColumnLight(x, width));
    const bool runs = w == width && GrowsToTheCentre(columns, (w + 1) / 2);
    const std::uint8_t* done = nullptr; // the last one-colour row worked out, and its colour and light
    std::uint8_t doneColour[3] = {};
    float doneLight = 0.0f;
    std::optional<CColumnLights> lights; // for rows of more than one colour
    for (int y = 0; y < band.GetHeight(); ++y) {
        const float row = static_cast<float>(SweepRowLight(firstRow + y, height));
        std::uint8_t* p = band.Row(y);
        const CCoveredRow* c = covered != nullptr && covered[y].count > 0 ? &covered[y] : nullptr;
        if (c != nullptr && MakeOneColour(p, w, *c)) c = nullptr;
        if (c == nullptr && w > 0 && IsOneColour(p, w)) {
            if (done && row == doneLight && std::memcmp(p, doneColour, 3) == 0) {
                std::memcpy(p, done, 3 * static_cast<std::size_t>(w));
                continue;
            }
            std::memcpy(doneColour, p, 3);
            SweepOneColourRow(p, w, row, columns, w == width, runs);
            done = p;
            doneLight = row;
            continue;
        }
        // Each level decoded, times the light, encoded: the face light's
        // pixels with no lift, its light the float product row * column.
        if (!lights) lights.emplace(columns.data(), w);
        if (c == nullptr)
            lights->LitRow(p, 0, w - 1, row);
        else
            c->ForEachUncovered(w, [&](int from, int to) { lights->LitRow(p, from, to, row); });
    }
}

void FillBackdropSweep(const CPixelView& band, int firstRow, int width, int height, std::uint32_t bgr,
                       const CCoveredRow* covered) noexcept
{
    const int w = band.GetWidth();
    if (w <= 0) return;
    std::vector<float> columns(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) columns[static_cast<std::size_t>(x)] = static_cast<float>(SweepColumnLight(x, width));
    const bool runs = w == width && GrowsToTheCentre(columns, (w + 1) / 2);
    const std::uint8_t* done = nullptr; // the last row worked out, and its light
    float doneLight = 0.0f;
    for (int y = 0; y < band.GetHeight(); ++y) {
        const float row = static_cast<float>(SweepRowLight(firstRow + y, height));
        std::uint8_t* p = band.Row(y);
        if (done && row == doneLight) { // a copy of the last row worked out, which is whole
            if (covered == nullptr || covered[y].count == 0) {
                std::memcpy(p, done, 3 * static_cast<std::size_t>(w));
                continue;
            }
            covered[y].ForEachUncovered(w, [&](int from, int to) {
                std::memcpy(p + 3 * from, done + 3 * from, 3 * static_cast<std::size_t>(to - from + 1));
            });
            continue;
        }
        p[0] = static_cast<std::uint8_t>(bgr >> 16); // the colour the row is worked out from
        p[1] = static_cast<std::uint8_t>(bgr >> 8);
        p[2] = static_cast<std::uint8_t>(bgr);
        SweepOneColourRow(p, w, row, columns, w == width, runs);
        done = p;
        doneLight = row;
    }
}
