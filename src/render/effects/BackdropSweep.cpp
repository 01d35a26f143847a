#include "render/effects/BackdropSweep.h"

#include "image/colour/SrgbTables.h"

#include <algorithm>
#include <array>
#include <cmath>
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

void ApplyBackdropSweep(const CPixelView& band, int firstRow, int width, int height) noexcept
{
    const CSrgbTables& t = SrgbTables();
    std::vector<float> columns(static_cast<std::size_t>(band.GetWidth()));
    for (int x = 0; x < band.GetWidth(); ++x) columns[static_cast<std::size_t>(x)] = static_cast<float>(SweepColumnLight(x, width));
    for (int y = 0; y < band.GetHeight(); ++y) {
        const float row = static_cast<float>(SweepRowLight(firstRow + y, height));
        std::uint8_t* p = band.Row(y);
        for (int x = 0; x < band.GetWidth(); ++x, p += 3) {
            const float light = row * columns[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c) p[c] = t.Encode(t.decode[p[c]] * light);
        }
    }
}
