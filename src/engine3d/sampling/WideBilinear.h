#pragma once
// Bilinear reads (engine3d/sampling/BilinearRead.h) sixteen at a time, for
// processors with AVX-512 byte permutes (VBMI) and word dot products (VNNI).
//
// Neighbouring positions mostly fall on a few rows of texels within a few
// texels of each other: where all sixteen do (their lower texel rows among
// R .. R + 3, their texels within 64 bytes of the leftmost), those rows are
// read once, 64 bytes each, and every position's texels are picked out of
// them by byte permutes; otherwise each texel is gathered. The
// blend is the one-pixel read's integer formula, worked out with word dot
// products: along the row a (256 - wx) + b wx (at most 65280), and down
//   (top - 32768)(256 - wy) + (bottom - 32768) wy + 2^23 + 32768
// = top (256 - wy) + bottom wy + 32768,
// whose bits 16 .. 23 are the channel, the shifted rows fitting in signed
// words. The positions' texels and weights come from the same double
// operations as the one-pixel read, so every byte is that read's.
//
// The callers check Available() and that every texel offset of the level fits
// in 32 bits.

#include "engine3d/sampling/TextureSet.h"

#include <cstdint>

namespace wide_bilinear {

// Whether the processor has what the reads need.
bool Available() noexcept;

// Reads of level `t` at the positions (us[i], vs[i]), i < 16: blue | green
// << 8 | red << 16 of each into out, pure white made 0xFEFEFE with
// `whiteAvoid`. Bit i of the result is set where position i was not read (a
// gathered read of the level's last texel, whose four bytes could pass the
// end of the picture); out[i] is then 0xFFFFFFFF.
std::uint32_t ReadSixteen(const CTexture& t, const double* us, const double* vs, bool whiteAvoid,
                          std::uint32_t* out) noexcept;

// ReadSixteen's reads of the positions i < n rounded up to a multiple of
// sixteen, their results not returned (out[i] is 0xFFFFFFFF where not read).
void ReadGroups(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid,
                std::uint32_t* out) noexcept;

// The samples i < n (n <= 112) of a pixel, read from level `t` at the
// positions (us[i], vs[i]) as ReadSixteen reads them: of those in the unit
// square (0 <= u < 1, 0 <= v < 1), the count and the sums of their blue,
// green and red, each the sample's read or, with `folds`, foldWord (blue |
// green << 8 | red << 16) where the position lies in a fold band (u < foldU,
// u > 1 - foldU, v < foldV or v > 1 - foldV). The arrays hold n rounded up
// to a multiple of sixteen, the positions past n read and not counted.
// Where all the positions' texels lie in five rows within 64 bytes of the
// least column, those rows are loaded once for the whole pixel. False
// (nothing summed) where a sample to sum was not read.
bool SumSamples(const CTexture& t, const double* us, const double* vs, int n, bool whiteAvoid, bool folds,
                double foldU, double foldV, std::uint32_t foldWord, std::uint32_t sum[3], int& count) noexcept;

// Pixels x .. x + n - 1 (n <= 64) of a picture row each read once at its
// centre, u = B / C and v = 1 - A / C for the numerators A = ax x + rowA,
// B = bx x + rowB, C = cx x + rowC (in that order of operations, as the
// eight-pixel steps of CInteriorSampler): blue, green, red of each into bgr,
// which takes 3 n rounded up to 48 bytes and 16 more. Bit i of the result is
// set where pixel x + i was not read.
std::uint64_t CentreRun(const CTexture& t, bool whiteAvoid, double ax, double bx, double cx, int x, int n,
                        double rowA, double rowB, double rowC, std::uint8_t* bgr) noexcept;

// The numerators' steps per pixel along a picture row (ax, bx, cx) and down
// the picture (ay, by, cy).
struct CRowMapping {
    double ax, bx, cx, ay, by, cy;
};

// Pixels x .. x + n - 1 (n <= 64) of a picture row each the mean of four
// reads of level `t` half a pixel apart, as CInteriorSampler's eight-pixel
// steps take them where a pixel's footprint is above a texel: at the centre
// (u, v) above and the derivatives there, du/dx = (bx - u cx) / C, du/dy =
// (by - u cy) / C, dv/dx = (a cx - ax) / C, dv/dy = (a cy - ay) / C with
// a = A / C, the reads at (u + du/dx dx) + du/dy dy, v likewise, for dx, dy =
// -1/4, +1/4, each channel (sum + 2) / 4. Written and returned as CentreRun;
// a pixel one of whose reads was not made is not read.
std::uint64_t FourReadRun(const CTexture& t, bool whiteAvoid, const CRowMapping& m, int x, int n, double rowA,
                          double rowB, double rowC, std::uint8_t* bgr) noexcept;

} // namespace wide_bilinear
