#include "engine3d/light/StudioLighting.h"

#include "image/colour/SrgbProfile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Key light high at the front left, a low fill from the front right and a
// rim from above and behind; the values were chosen by rendering the
// catalogue's products and comparing them with photographs of real boxes.
constexpr CLightingPreset kPresets[] = {
    // "Studio": the front (turned to the key) is the brightest face, the top close behind.
    {1, 0.25, {{{-0.5, 0.6, -1.0, 0.85}, {0.8, 0.2, -0.6, 0.30}, {0.0, 1.0, 0.6, 0.20}}}},
    // "Soft Window": one broad source from the left at table height, little fill.
    {2, 0.35, {{{-1.0, 0.3, -0.4, 0.70}, {1.0, 0.2, -0.3, 0.15}, {0.0, 1.0, 0.3, 0.10}}}},
    // "Dramatic": a high hard key, no fill, a strong rim from behind on the right.
    {3, 0.08, {{{-0.7, 1.0, -0.5, 0.90}, {0.0, 0.0, 0.0, 0.0}, {0.6, 0.5, 1.0, 0.60}}}},
};

// Stored sRGB levels in linear light.
const std::array<double, 256>& DecodeTable() noexcept
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int v = 0; v < 256; ++v) t[static_cast<std::size_t>(v)] = SrgbToLinear(v / 255.0);
        return t;
    }();
    return table;
}

std::uint8_t EncodeByFormula(double linear) noexcept
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(LinearToSrgb(linear), 0.0, 1.0) * 255.0));
}

// Where each level begins: the smallest linear light the formula above gives
// that level or more for. Found once, by halving between neighbouring doubles,
// so that a lookup gives exactly what the formula gives, without its pow.
const std::array<double, 256>& LevelStarts() noexcept
{
    static const std::array<double, 256> starts = [] {
        std::array<double, 256> t{};
        t[0] = -HUGE_VAL;
        for (int k = 1; k < 256; ++k) {
            // Positive doubles order as their bit patterns do.
            std::uint64_t below = std::bit_cast<std::uint64_t>(k == 1 ? 0.0 : t[static_cast<std::size_t>(k - 1)]);
            std::uint64_t at = std::bit_cast<std::uint64_t>(1.0);
            if (k > 1 && EncodeByFormula(std::bit_cast<double>(below)) >= k) at = below;  // level k - 1 is skipped
            while (at > below + 1) {
                const std::uint64_t mid = below + (at - below) / 2;
                (EncodeByFormula(std::bit_cast<double>(mid)) >= k ? at : below) = mid;
            }
            t[static_cast<std::size_t>(k)] = std::bit_cast<double>(at);
        }
        return t;
    }();
    return starts;
}

std::uint8_t Encode(double linear) noexcept
{
    const std::array<double, 256>& starts = LevelStarts();
    return static_cast<std::uint8_t>(std::upper_bound(starts.begin() + 1, starts.end(), linear) - starts.begin() - 1);
}

} // namespace

const CLightingPreset* FindLightingPreset(int value) noexcept
{
    for (const CLightingPreset& p : kPresets)
        if (p.value == value) return &p;
    return nullptr;
}

double StudioFaceLight(double nx, double ny, double nz, const CLightingPreset& preset) noexcept
{
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0.0)) return 1.0;
    double light = preset.ambient;
    for (const CStudioLight& l : preset.lights) {
        const double ll = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
        if (!(ll > 0.0) || l.intensity <= 0.0) continue;
        light += l.intensity * std::max(0.0, (nx * l.x + ny * l.y + nz * l.z) / (len * ll));
    }
    return std::min(light, 1.0);
}

namespace {

struct CFinish {
    int value;
    double f0;       // reflectance seen straight on
    double lobe;     // weight of the soft boxes' reflections
    double exponent; // Blinn-Phong exponent: the smaller, the broader the highlight
    double studio;   // light of the studio around the soft boxes
};

// Satin: a faint broad sheen; Gloss: clear soft-box highlights; Shrink-Wrap:
// film over the box, highlights and a sheen over everything.
constexpr CFinish kFinishes[] = {
    {1, 0.04, 0.35, 6.0, 0.10},
    {2, 0.04, 0.90, 24.0, 0.35},
    {3, 0.05, 1.10, 48.0, 0.80},
};

} // namespace

double FinishSpecular(double nx, double ny, double nz, double vx, double vy, double vz,
                      const CLightingPreset& preset, int finish) noexcept
{
    const CFinish* f = nullptr;
    for (const CFinish& k : kFinishes)
        if (k.value == finish) f = &k;
    const double nl = std::sqrt(nx * nx + ny * ny + nz * nz), vl = std::sqrt(vx * vx + vy * vy + vz * vz);
    if (f == nullptr || !(nl > 0.0) || !(vl > 0.0)) return 0.0;
    nx /= nl, ny /= nl, nz /= nl, vx /= vl, vy /= vl, vz /= vl;
    const double nv = nx * vx + ny * vy + nz * vz;
    if (nv <= 0.0) return 0.0;
    const double fresnel = f->f0 + (1.0 - f->f0) * std::pow(1.0 - nv, 5.0);
    double lobes = 0.0;
    for (const CStudioLight& l : preset.lights) {
        const double ll = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
        if (!(ll > 0.0) || l.intensity <= 0.0) continue;
        const double hx = l.x / ll + vx, hy = l.y / ll + vy, hz = l.z / ll + vz; // half vector
        const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
        if (!(hl > 0.0)) continue;
        lobes += l.intensity * std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl), f->exponent);
    }
    return fresnel * (f->lobe * lobes + f->studio);
}

CLinearShadeTable MakeLinearShadeTable(double light, double specular) noexcept
{
    const std::array<double, 256>& decode = DecodeTable();
    CLinearShadeTable table{};
    if (!(light >= 0.0)) {
        for (std::size_t v = 0; v < 256; ++v) table[v] = Encode(light * decode[v] + specular);
        return table;
    }
    // The light grows with the level decoded, so each level is found by
    // walking on from the one before.
    const std::array<double, 256>& starts = LevelStarts();
    std::size_t level = Encode(specular);
    for (std::size_t v = 0; v < 256; ++v) {
        const double linear = light * decode[v] + specular;
        while (level < 255 && starts[level + 1] <= linear) ++level;
        table[v] = static_cast<std::uint8_t>(level);
    }
    return table;
}

COLORREF ShadeColourLinear(COLORREF colour, double light, double specular) noexcept
{
    const std::array<double, 256>& decode = DecodeTable();
    auto channel = [&](unsigned c) { return Encode(light * decode[c & 0xFF] + specular); };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}
