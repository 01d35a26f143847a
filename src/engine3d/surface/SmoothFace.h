#pragma once
// CSmoothFace: one lit or smoothly sampled face of CRenderSurface (drawn by
// DrawFilteredQuad in RenderSurfaceSmooth.cpp).
//
// Smooth sampling: a pixel covers some number of texels of the face picture
// (its footprint); when that is more than about one texel, detail finer than
// the pixel beats against the pixel grid (moire), however many sub-samples
// the pixel averages. The picture level whose texels are about as large as
// the footprint (each level halves the picture, averaging 2 x 2 texels) is
// therefore chosen per pixel from the positions of the pixel's own first,
// last-in-row and last-in-column samples, and every sample is read
// bilinearly from the four texels around it, so that the picture also stays
// smooth where it is enlarged.
//
// Pixels wholly inside the face: the sub-sample grid only matters where the
// face's outline, a fold band or a rounded corner crosses the pixel. Along a
// picture row u = B / C and v = 1 - A / C with A, B, C linear in x, so each
// of "0 <= u < 1", "0 <= v < 1" and "in front of the eye" is a linear
// condition on x for a sample, and the columns where the four corner samples
// of the grid (and with them, the face's shape being convex, every sample)
// lie inside are one interval, narrowed by a pixel on each side against
// rounding. There the pixel is read from the derivatives of (u, v) at its
// centre, one division per pixel: a footprint of at most one texel takes one
// bilinear read of the picture itself; a larger one four bilinear reads half
// a pixel apart from the level on which the footprint is one to two texels,
// so that the reads are never more than a texel apart.

#include "engine3d/sampling/InteriorSampler.h"
#include "engine3d/surface/RenderSurface.h"

#include <bit>
#include <cstdint>

struct CFaceSetup;

// One lit or smoothly sampled face: its mapping and set-up, the sample
// offsets in the numerators, the picture levels and the interior bounds.
struct CSmoothFace {
    const CQuadMapping& map;
    const CFaceSetup& face;
    bool smooth = false;
    int side = 0, N = 0, topLevel = 0;
    double reach = 0.0; // pixels from the first to the last sample of a row
    // The samples' offsets, zero past N up to the most samples rounded up to sixteen.
    static constexpr int kRoom = 112;
    double offA[kRoom] = {}, offB[kRoom] = {}, offC[kRoom] = {};
    double cornerA[4] = {}, cornerB[4] = {}, cornerC[4] = {}; // the offsets of the grid's corner samples
    // The part of the face where no sample meets the outline, a fold band or
    // a rounded corner: u in [uLo, uHi], v in [vLo, vHi].
    double uLo = 0.0, uHi = 1.0, vLo = 0.0, vHi = 1.0;
    bool shortcut = false;
    bool vector = false; // interior pixels eight at a time
    bool plainFill = false; // no picture, no folds, square corners: a sample is the fill colour or off the face
    bool wideReads = false; // smooth, read sixteen samples at a time where the processor allows
    bool sumWide = false;   // and square corners, not the disc: AllSamples sums sixteen at a time
    std::uint32_t foldWord = 0; // the fold colour, blue | green << 8 | red << 16
    CInteriorSampler sampler;

    // Turns the interior shortcut off and on (CRenderSurface::SetInteriorShortcut).
    static void SetInteriorShortcut(bool enabled) noexcept;

    CSmoothFace(const CQuadMapping& m, const CFaceSetup& f, const CTextureSet* textures, char /*faceCode*/,
                int sampleCount) noexcept;

    // The level a pixel reads from, its footprint taken from the samples:
    // the first and the last sample of its first row and column lie `reach`
    // pixels apart. Level round(log2 footprint): each level halves the
    // footprint; stop once it is below sqrt 2 texels.
    inline const CTexture* LevelOf(const double* us, const double* vs) const noexcept;

    // One sample's colour, blue | green << 8 | red << 16; false when it does
    // not count (outside the shape, or a transparent texel of the CD-ROM).
    // `read` is the sample's bilinear read when it was made beforehand
    // (CInteriorSampler::ReadPositions).
    [[gnu::always_inline]] inline bool Sample(const CTexture* level, double u, double v, std::uint32_t& bgr,
                                              std::uint32_t read = CInteriorSampler::kNotRead) const noexcept;

    // Whether no sample of pixel x can lie on the face: the four corner
    // samples all beyond one of its edges (u < 0, u >= 1, v < 0 or v >= 1,
    // linear conditions on the numerators where the denominator keeps its
    // sign), by a margin far above rounding. The other samples lie between
    // the corners, so beyond that edge too.
    bool Misses(int x, double rowA, double rowB, double rowC) const noexcept;

    // Every sample of the grid: the outline, fold and corner tests per sample.
    // With smooth sampling the samples are read beforehand where the
    // processor allows (CInteriorSampler::ReadPositions, the same bilinear
    // reads); sixteen at a time, the positions past N are the pixel's own
    // (zero offsets), read and not counted.
    CPixelSamples AllSamples(int x, double rowA, double rowB, double rowC) const noexcept;

    // A pixel wholly inside: its colour from the centre and the derivatives
    // there (see the top of the file).
    void Interior(int x, double rowA, double rowB, double rowC, std::uint32_t c[3]) const noexcept;

    // The columns of a row whose four corner samples lie inside, less a pixel
    // each side; innerLo > innerHi when there are none.
    void InteriorColumns(int left, int right, double rowA, double rowB, double rowC, int& innerLo,
                         int& innerHi) const noexcept;

    // The same columns, unbounded (lo > hi when none), for a face on the
    // side of the eye where sg * C > 0.
    void InteriorBounds(double rowA, double rowB, double rowC, double sg, double& lo, double& hi) const noexcept;

    // Interior pixels x .. x + n - 1 (n <= CInteriorSampler::kMaxRun) into
    // bgr: eight at a time where the processor allows, the rest one by one.
    void InteriorRun(int x, int n, double rowA, double rowB, double rowC, std::uint8_t* bgr) const noexcept;
};

inline void CSmoothFace::InteriorRun(int x, int n, double rowA, double rowB, double rowC,
                                     std::uint8_t* bgr) const noexcept
{
    std::uint64_t left = n < 64 ? (std::uint64_t{1} << n) - 1 : ~std::uint64_t{0};
    if (vector) left = sampler.SampleRun(x, n, rowA, rowB, rowC, bgr);
    for (; left != 0; left &= left - 1) {
        const int i = std::countr_zero(left);
        std::uint32_t c[3];
        Interior(x + i, rowA, rowB, rowC, c);
        for (int k = 0; k < 3; ++k) bgr[3 * i + k] = static_cast<std::uint8_t>(c[k]);
    }
}
