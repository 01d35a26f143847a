#pragma once
// Bilinear reads of a face picture in integers (weights in 1/256), shared by
// the smooth sampling of the rasteriser and its tests.

#include "engine3d/sampling/TextureSet.h"

#include <algorithm>
#include <cstdint>

// The floor of a position already limited to [-1, size], without the library
// call: truncation rounds negative positions up, which the comparison undoes.
inline int FloorIndex(double f) noexcept
{
    const int i = static_cast<int>(f);
    return i - (f < static_cast<double>(i) ? 1 : 0);
}

// A position in texels limited to [-1, size]. Beyond that both neighbours
// are the edge texel whatever the weight, so the read does not change, and
// the conversion to int stays in range (not a number reads the edge too).
inline double LimitPosition(double f, int size) noexcept
{
    const double hi = size;
    return f >= -1.0 ? (f <= hi ? f : hi) : -1.0;
}

// Bilinear read of level `t` at face coordinates (u, v), rows from the bottom:
// texel centres sit at (i + 0.5) / width. Weights in 1/256; each channel is
// ((a (256 - wx) + b wx)(256 - wy) + (c (256 - wx) + d wx) wy + 32768) >> 16,
// written below as a + (b - a) wx in integers, the same value.
inline void Bilinear(const CTexture& t, double u, double v, std::uint32_t out[3]) noexcept
{
    const double fx = LimitPosition(u * t.width - 0.5, t.width);
    const double fy = LimitPosition(v * t.height - 0.5, t.height);
    const int ix = FloorIndex(fx), iy = FloorIndex(fy);
    const int wx = static_cast<int>((fx - ix) * 256.0 + 0.5);
    const int wy = static_cast<int>((fy - iy) * 256.0 + 0.5);
    const int x0 = 3 * std::max(std::min(ix, t.width - 1), 0);
    const int x1 = 3 * std::min(ix + 1, t.width - 1);
    const std::uint8_t* r0 = t.bits + static_cast<std::ptrdiff_t>(std::max(std::min(iy, t.height - 1), 0)) * t.stride;
    const std::uint8_t* r1 = t.bits + static_cast<std::ptrdiff_t>(std::min(iy + 1, t.height - 1)) * t.stride;
    for (int k = 0; k < 3; ++k) {
        const int a = r0[x0 + k], b = r0[x1 + k], c = r1[x0 + k], d = r1[x1 + k];
        const int bottom = (a << 8) + (b - a) * wx;
        const int top = (c << 8) + (d - c) * wx;
        out[k] = static_cast<std::uint32_t>(((bottom << 8) + (top - bottom) * wy + 32768) >> 16);
    }
}
