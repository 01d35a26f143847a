#pragma once
// The colour of a pixel from its samples: each channel's sum divided by the
// count, truncated. A row of pixels is stored in one call, four pixels of the
// usual counts at a time where the processor has SSSE3, eight with AVX2,
// sixteen with AVX-512 and byte permutes.

#include "engine3d/sampling/FaceRunSampler.h"

#include <cstdint>

// One pixel: blue, green, red bytes at p (count > 0).
inline void StoreAverage(std::uint8_t* p, const std::uint32_t* sum, int count) noexcept
{
    if (count == 25) { // the usual counts divide by a constant, a multiplication
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / 25u);
    } else if (count == 100) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / 100u);
    } else {
        const auto n = static_cast<std::uint32_t>(count);
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(sum[c] / n);
    }
}

// Pixels 0 .. n - 1 of a row into bgr (three bytes each): those whose count
// is at least minCount (>= 1) take their average, the others stay as they are.
void StoreAverages(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept;
// The same a pixel at a time: the reference of the one above.
void StoreAveragesReference(const CPixelSamples* run, int n, int minCount, std::uint8_t* bgr) noexcept;
