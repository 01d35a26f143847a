#pragma once
// The texels a pixel's samples read, given as byte offsets into the face
// picture, summed eight samples at a time: each offset's four bytes read in
// one gather (AVX2), blue, green and red taken apart and summed in 32-bit
// lanes. Only for callers compiled for AVX2.

#include "engine3d/sampling/FaceRunSampler.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

// Offsets 0 .. n - 1 (the array readable up to a multiple of eight); a
// negative offset is a sample off the face. `last` is the offset of the
// picture's last texel, whose fourth byte may lie past the picture's end: it
// is read from the byte before. The same sums as adding the texels one by one.
__attribute__((target("avx2"), always_inline)) inline CPixelSamples
SumTexelOffsets(const std::uint8_t* bits, const std::int32_t* offsets, int n, std::int32_t last) noexcept
{
    if (last < 1) { // a picture of one texel
        CPixelSamples out;
        for (int s = 0; s < n; ++s) {
            if (offsets[s] < 0) continue;
            for (int c = 0; c < 3; ++c) out.sum[c] += bits[offsets[s] + c];
            ++out.count;
        }
        return out;
    }
    const __m256i byte = _mm256_set1_epi32(0xFF), none = _mm256_set1_epi32(-1);
    const __m256i lastV = _mm256_set1_epi32(last), eight = _mm256_set1_epi32(8);
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i blue = _mm256_setzero_si256(), green = blue, red = blue, count = blue;
    for (int s = 0; s < n; s += 8) {
        const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + s));
        const __m256i mask = _mm256_and_si256(_mm256_cmpgt_epi32(o, none),
                                              _mm256_cmpgt_epi32(_mm256_set1_epi32(n - s), lane));
        const __m256i atEnd = _mm256_cmpeq_epi32(o, lastV);
        const __m256i v = _mm256_srlv_epi32(
            _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(bits),
                                        _mm256_add_epi32(o, atEnd), mask, 1),
            _mm256_and_si256(atEnd, eight));
        blue = _mm256_add_epi32(blue, _mm256_and_si256(v, byte));
        green = _mm256_add_epi32(green, _mm256_and_si256(_mm256_srli_epi32(v, 8), byte));
        red = _mm256_add_epi32(red, _mm256_and_si256(_mm256_srli_epi32(v, 16), byte));
        count = _mm256_sub_epi32(count, mask);
    }
    // Sum the eight lanes of each: blue, green, red, count side by side.
    const __m256i bg = _mm256_hadd_epi32(blue, green), rc = _mm256_hadd_epi32(red, count);
    const __m256i all = _mm256_hadd_epi32(bg, rc); // lanes: b g r c of each half
    const __m128i total = _mm_add_epi32(_mm256_castsi256_si128(all), _mm256_extracti128_si256(all, 1));
    alignas(16) std::int32_t t[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(t), total);
    return CPixelSamples{{static_cast<std::uint32_t>(t[0]), static_cast<std::uint32_t>(t[1]),
                          static_cast<std::uint32_t>(t[2])},
                         t[3]};
}
#endif
