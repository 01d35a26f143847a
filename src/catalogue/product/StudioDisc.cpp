#include "catalogue/product/StudioDisc.h"

#include "image/Raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

// Radii in 346ths of the disc's radius, as the setup draws the surfaces.
constexpr double kHole = 40.0 / 346.0, kHub = 98.0 / 346.0, kPrint = 138.0 / 346.0, kEdge = 343.0 / 346.0;
constexpr std::uint32_t kTransparent = 0xFEFEFE;

struct SRgb {
    double r, g, b; // 0..1
};

// A mirror shows the studio: broad light from the upper left and lower right
// (where the soft boxes are mirrored), darker across; brighter towards the rim.
double MirrorGain(double angle, double radius) noexcept
{
    const double lobe = 0.5 + 0.5 * std::cos(2.0 * (angle - 0.75 * std::numbers::pi));
    return (0.80 + 0.22 * lobe * lobe) * (0.94 + 0.06 * radius);
}

// Share of white the mirrored soft boxes add at the brightest of the mirror.
double MirrorHighlight(double angle) noexcept
{
    const double lobe = 0.5 + 0.5 * std::cos(2.0 * (angle - 0.75 * std::numbers::pi));
    return 0.45 * std::pow(lobe, 4.0);
}

// The rainbow the tracks spread the light into: a narrow band of spectral
// colours beside the mirrored light, its hue running with the radius.
SRgb Rainbow(double angle, double radius, double& weight) noexcept
{
    const double lobe = 0.5 + 0.5 * std::cos(2.0 * (angle - 0.75 * std::numbers::pi - 0.35));
    weight = 0.22 * std::pow(lobe, 6.0) * std::clamp((radius - kHub) * 10.0, 0.0, 1.0);
    const double h = 6.0 * std::fmod(radius * 2.4 + 0.15, 1.0); // hue, sixths of the circle
    auto ramp = [h](double at) { return std::clamp(std::abs(std::fmod(h + at, 6.0) - 3.0) - 1.0, 0.0, 1.0); };
    return {0.45 + 0.55 * ramp(0.0), 0.45 + 0.55 * ramp(4.0), 0.45 + 0.55 * ramp(2.0)};
}

// Median of each channel of the print (blue, green, red), its tint.
std::array<double, 3> PrintTint(const CRaster& surface, double centre, double radius) noexcept
{
    std::array<std::vector<std::uint8_t>, 3> values;
    for (int a = 0; a < 720; ++a) {
        const double t = a * std::numbers::pi / 360.0, rr = radius * 0.7;
        const int x = static_cast<int>(std::lround(centre + rr * std::cos(t)));
        const std::uint8_t* row = surface.GetBits(static_cast<int>(std::lround(centre + rr * std::sin(t))));
        if (row == nullptr) continue;
        for (int k = 0; k < 3; ++k) values[static_cast<std::size_t>(k)].push_back(row[3 * x + k]);
    }
    std::array<double, 3> tint{0.78, 0.78, 0.78};
    for (std::size_t k = 0; k < 3; ++k) {
        std::vector<std::uint8_t>& v = values[k];
        if (v.empty()) continue;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        tint[k] = v[v.size() / 2] / 255.0;
    }
    return tint;
}

std::uint8_t Byte(double v) noexcept
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

} // namespace

void MakeStudioDisc(CRaster& surface, bool metallic) noexcept
{
    const int size = std::min(surface.GetWidth(), surface.GetHeight());
    if (size < 8 || surface.GetBpp() != 24) return;
    const double centre = (size - 1) / 2.0, radius = size / 2.0;
    const std::array<double, 3> silver{0.80, 0.79, 0.78}; // blue, green, red of bare silver
    const std::array<double, 3> tint = metallic ? PrintTint(surface, centre, radius) : silver;
    for (int y = 0; y < size; ++y) {
        std::uint8_t* p = surface.GetBits(y);
        for (int x = 0; x < size; ++x, p += 3) {
            const double dx = x - centre, dy = y - centre;
            const double r = std::sqrt(dx * dx + dy * dy) / radius, a = std::atan2(dy, dx);
            if (r >= 1.0 || r < kHole) continue; // the outside and the hole keep their colour
            if ((p[0] | p[1] << 8 | p[2] << 16) == kTransparent) continue;
            double c[3];
            if (r < kHub) { // clear polycarbonate: the backdrop seen through it, a stacking ring
                const double ring = std::abs(r - 0.205) < 0.006 ? 0.06 : 0.0;
                const double v = 0.90 + 0.05 * std::cos(a - 0.75 * std::numbers::pi) - ring;
                c[0] = v + 0.015, c[1] = v + 0.005, c[2] = v;
            } else if (r >= kEdge) { // the moulded edge: clear, catching the light
                const double v = 0.86 + 0.08 * std::cos(a - 0.75 * std::numbers::pi);
                c[0] = v + 0.01, c[1] = v, c[2] = v;
            } else if (r >= kPrint && !metallic) {
                continue; // the print as it is
            } else {
                const std::array<double, 3>& t = r < kPrint ? silver : tint;
                const double gain = MirrorGain(a, r);
                double w = 0.0;
                const SRgb rainbow = Rainbow(a, r, w);
                const double bow[3] = {rainbow.b, rainbow.g, rainbow.r};
                const double white = MirrorHighlight(a);
                for (int k = 0; k < 3; ++k) {
                    const double mirror = std::min(t[static_cast<std::size_t>(k)] * gain, 1.0);
                    c[k] = (1.0 - w) * (mirror + (1.0 - mirror) * white) + w * bow[k];
                }
            }
            for (int k = 0; k < 3; ++k) p[k] = Byte(c[k]);
            if ((p[0] | p[1] << 8 | p[2] << 16) == kTransparent) p[0] = 0xFD; // never the transparent colour
        }
    }
}
