#pragma once
// CInteriorSampler: pixels wholly inside a smooth face, eight at a time (sixteen
// where the processor has AVX-512: engine3d/sampling/WideBilinear.h).
//
// For pixel x of a picture row the numerators of the face's inverse mapping
// are A = ax * x + rowA, B = bx * x + rowB, C = cx * x + rowC; the pixel's
// centre lies at u = B / C, v = 1 - A / C and its footprint in texels comes
// from the derivatives of (u, v) there. Where the footprint is at most one
// texel across, the pixel is one bilinear read of the picture at (u, v), with
// weights in 1/256 (engine3d/sampling/BilinearRead.h); where it is larger, the mean of
// four such reads half a pixel apart on the picture level where it spans one
// to two texels, when the eight pixels of a step share that level. This class does exactly those
// double operations in that order (no fused multiply-add), so each pixel
// takes the same texels and weights as the one-pixel read; the blend of the
// four texels, sum of texel * weight over 65536 with every product and sum an
// integer below 2^24, is exact in single precision. Pixels of a step whose
// levels differ, and those reading a level's last texel (whose four-byte read
// could pass the end of the picture), are left to the caller.

#include "engine3d/sampling/TextureSet.h"

#include <cstdint>

class CInteriorSampler {
public:
    static constexpr int kMaxRun = 64; // pixels per SampleRun
    // Bytes a SampleRun of up to kMaxRun pixels may write.
    static constexpr int kBufferBytes = 3 * (kMaxRun + 8) + 4;

    // Takes the face picture, its levels (may be null) and the per-pixel steps of the numerators along
    // a row (ax, bx, cx) and down the picture (ay, by, cy). False when the
    // processor cannot run it, it is switched off, or the picture is too large
    // for 32-bit offsets: the caller then reads every pixel itself.
    bool Setup(const CTexture& picture, const CTextureLevels* levels, bool whiteAvoid, double ax, double bx, double cx, double ay, double by,
               double cy) noexcept;

    // Pixels x .. x + n - 1 (n <= kMaxRun) of the row whose numerators at
    // x = 0 are rowA, rowB, rowC: blue, green, red of each pixel into bgr
    // (kBufferBytes long). Bit i of the result is set for pixel x + i when it
    // was left to the caller.
    std::uint64_t SampleRun(int x, int n, double rowA, double rowB, double rowC, std::uint8_t* bgr) const noexcept;

    // Bilinear reads (engine3d/sampling/BilinearRead.h) of picture level `t`
    // at the positions (us[i], vs[i]), i < n, sixteen at a time where the
    // processor allows and eight otherwise: blue | green << 8 | red << 16 of
    // each into out, pure white made 0xFEFEFE with `whiteAvoid`, or kNotRead
    // for a position left to the caller. The count read from the first on:
    // n where sixteen at a time (the arrays then hold n rounded up to a
    // multiple of sixteen, every position past n a number or not), the whole
    // eights of n otherwise, 0 (nothing read) when the processor cannot run
    // it, it is switched off, or the level is too large.
    static constexpr std::uint32_t kNotRead = 0xFFFFFFFFu;
    static int ReadPositions(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                             std::uint32_t* out) noexcept;

    // The samples i < n of a pixel read as ReadPositions reads them, sixteen
    // at a time, and summed as wide_bilinear::SumSamples sums them (fold
    // bands and all); false (nothing summed) where they cannot be read so or
    // a sample to sum was not read.
    static bool SumPositions(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                             bool folds, double foldU, double foldV, std::uint32_t foldWord, std::uint32_t sum[3],
                             int& count) noexcept;

    // Process-wide switches (on by default), for the tests' reference drawings
    // and the benchmarks: `enabled` for all of the above, `wide` for sixteen
    // reads at a time (engine3d/sampling/WideBilinear.h) where the processor allows.
    static void SetEnabled(bool enabled, bool wide = true) noexcept;

    // The face positions of n samples of a pixel whose numerators are pA,
    // pB, pC, the samples' offsets in offA, offB, offC: inv = 1 / (pC +
    // offC[s]), us[s] = (pB + offB[s]) inv, vs[s] = 1 - (pA + offA[s]) inv,
    // four at a time where the processor allows (the same roundings). The
    // arrays hold n rounded up to a multiple of four.
    static void MapSamples(double pA, double pB, double pC, const double* offA, const double* offB,
                           const double* offC, int n, double* us, double* vs) noexcept;

private:
    // What every pixel x .. x + n - 1 of the row is sure to take: kOneRead
    // (a footprint of at most a texel along both directions), or with
    // `fourReads` the level L >= 0 it takes four reads from (the footprint
    // above a texel); kMixed otherwise. `top` is the highest level.
    static constexpr int kOneRead = -1, kMixed = -2;
    int RunLevel(int x, int n, double rowA, double rowB, double rowC, int top, bool fourReads) const noexcept;

    CTexture m_tex;
    const CTextureLevels* m_levels = nullptr;
    bool m_whiteAvoid = false;
    bool m_wide = false;
    double m_ax = 0, m_bx = 0, m_cx = 0, m_ay = 0, m_by = 0, m_cy = 0;
};
