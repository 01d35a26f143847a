#pragma once
// CFaceRunSampler: nearest-texel sampling of a plain face (a picture, square
// corners, no folds, no transparency, no white avoidance), one run of pixels
// of a picture row at a time.
//
// For pixel x of a row the numerators of the inverse mapping are
//   pA = ax * x + rowA,   pB = bx * x + rowB,   pC = cx * x + rowC,
// and sample s adds its offsets: A = pA + offA[s], B = pB + offB[s],
// C = pC + offC[s]. With inv = 1 / C the face position is u = B * inv,
// v = 1 - A * inv; the sample counts when 0 <= u < 1 and 0 <= v < 1 and then
// reads the texel at column (width - 1) * u + 0.5 and row (height - 1) * v + 0.5,
// both truncated. Every way of running this below does exactly these double
// operations in this order (no fused multiply-add), so each sample reads the
// same texel however many samples are mapped at once, and the picture does not
// depend on the processor.
//
// Where the processor has AVX2 and FMA, most pixels skip the divisions: see
// engine3d/sampling/LinearSteps.h. A pixel whose texels that way are not
// certain to be the ones above is mapped exactly.

#include "engine3d/sampling/GridRowCounts.h"
#include "engine3d/sampling/TextureSet.h"

class CFlatTiles;

#include <cstdint>

// The samples of one pixel: per-channel sums (blue, green, red) of the texels
// read and how many samples counted.
struct CPixelSamples {
    std::uint32_t sum[3] = {0, 0, 0};
    int count = 0;
};

class CFaceRunSampler {
public:
    static constexpr int kMaxSamples = 100;

    // Takes the sample offsets (n of them, n <= kMaxSamples), the face picture
    // and the per-pixel steps ax, bx, cx of the numerators. False when the
    // picture is too large to address with 32-bit offsets (the caller then
    // samples the general way).
    bool Setup(const double* offA, const double* offB, const double* offC, int n,
               const CTexture& texture, double ax, double bx, double cx) noexcept;
    // Lets pixels skip the divisions (linear steps). Takes the sub-sample
    // offsets in pixels (dx, dy, n of them as given to Setup), the row
    // coefficients of the numerators (pA at row py is ay * py + a0, likewise
    // b and c) and the pixels that will be sampled (left .. right, rows
    // bottom .. top, as passed to SampleRun). Without it every pixel is mapped
    // exactly. Returns whether linear steps are used for this face (not for a
    // face seen so steeply that their error bound is too wide, nor for
    // samples that are not a square grid laid out row by row).
    bool SetLinearSteps(const double* dx, const double* dy, double ay, double a0, double by, double b0,
                        double cy, double c0, int left, int right, int bottom, int top) noexcept;

    // The one-colour tiles of the picture (may be null): a pixel whose samples
    // can only reach texels of one colour takes that colour without being
    // sampled (see engine3d/sampling/FlatTiles.h); the same sums as sampling it.
    void SetFlatTiles(const CFlatTiles* tiles) noexcept;

    // Samples pixels left .. right (out[0] is pixel left) of the row whose
    // numerators at x = 0 are rowA, rowB, rowC; four samples at once where the
    // processor has AVX2.
    void SampleRun(int left, int right, double rowA, double rowB, double rowC,
                   CPixelSamples* out) const noexcept;
    // The same, one sample at a time: the plain reference of SampleRun.
    void SampleRunReference(int left, int right, double rowA, double rowB, double rowC,
                            CPixelSamples* out) const noexcept;

    // Whether SampleRun maps four samples at once here (the processor has
    // AVX2 and the run sampler is not switched off).
    static bool HasWideMapping() noexcept;
    // Whether linear steps can be used here (AVX2 and FMA).
    static bool HasLinearSteps() noexcept;
    // Switches the run sampler off (and on again), so that the rasteriser
    // samples every face the general way, one pixel at a time: the reference
    // the benchmarks compare with. On by default; process-wide.
    static void SetEnabled(bool enabled) noexcept;

    // For tests: pixels of SampleRun calls with a sample mapped exactly, and
    // all pixels.
    long long GetExactPixels() const noexcept { return m_exactPixels; }
    long long GetPixels() const noexcept { return m_pixels; }

private:
    void SampleRunAnyWay(int left, int right, double rowA, double rowB, double rowC,
                         CPixelSamples* out) const noexcept;
    bool OneColourSpan(int x0, int x1, double rowA, double rowB, double rowC, CPixelSamples& out) const noexcept;
    void SampleRunWide(int left, int right, double rowA, double rowB, double rowC,
                       CPixelSamples* out) const noexcept;
    void SampleRunLinear(int left, int right, double rowA, double rowB, double rowC,
                         CPixelSamples* out) const noexcept;
    CPixelSamples SamplePixelWide(int x, double rowA, double rowB, double rowC) const noexcept;
    // Samples which[0 .. n - 1] of pixel x mapped as SampleRunReference maps
    // each: the byte offset of its texel into out, or -1 where it lies
    // outside the face.
    void SampleOffsetsExactly(int x, double rowA, double rowB, double rowC, const int* which, int n,
                              std::int32_t* out) const noexcept;
    // The byte offset of the picture's last texel (top right).
    std::int32_t LastTexelOffset() const noexcept
    {
        return static_cast<std::int32_t>(m_texH) * m_stride + 3 * static_cast<std::int32_t>(m_texW);
    }

    // Offsets padded to a multiple of four with copies of the last one.
    alignas(32) double m_offA[kMaxSamples + 4] = {};
    alignas(32) double m_offB[kMaxSamples + 4] = {};
    alignas(32) double m_offC[kMaxSamples + 4] = {};
    int m_count = 0;
    int m_padded = 0;
    double m_ax = 0.0, m_bx = 0.0, m_cx = 0.0;
    const std::uint8_t* m_bits = nullptr;
    std::int32_t m_stride = 0; // bytes per picture row
    double m_texW = 0.0;       // picture width - 1
    double m_texH = 0.0;       // picture height - 1

    // Linear steps: sub-sample offsets in pixels, the numerators' row
    // coefficients, the error bounds in texels and how far a sample lies from
    // its pixel's centre at most.
    bool m_linear = false;
    bool m_mixed = false; // pixels across the outline or a texel edge sampled by steps, sample by sample
    // Padded to a multiple of sixteen with copies of the last.
    alignas(32) float m_dx[kMaxSamples + 16] = {};
    alignas(32) float m_dy[kMaxSamples + 16] = {};
    int m_padded8 = 0;
    int m_side = 0; // the samples form a grid of side x side (dx by column, dy by row)
    double m_ay = 0.0, m_by = 0.0, m_cy = 0.0;
    double m_errCol = 0.0, m_errRow = 0.0;
    double m_projCol = 0.0, m_projRow = 0.0; // the bounds of projective steps (no remainder)
    double m_reach = 0.0;
    SGridRows m_grid; // the offsets as a grid, for counting outline pixels a sample row at a time
    const CFlatTiles* m_flat = nullptr;
    alignas(32) double m_cornerA[4] = {}; // the offsets of the grid's corner samples
    alignas(32) double m_cornerB[4] = {};
    alignas(32) double m_cornerC[4] = {};
    mutable long long m_exactPixels = 0;
    mutable long long m_pixels = 0;
};
