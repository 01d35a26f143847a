#pragma once
// The samples of one pixel on a regular grid, counted a sample row at a time.
//
// Sample (i, j) of a side x side grid lies at dx = firstX + stepX * i,
// dy = firstY + stepY * j from the pixel's centre. Placed in a face picture by
// linear steps, its texel column is Zc = fc + gx * dx + gy * dy and its row
// Zr = fr + hx * dx + hy * dy (the texel is floor(Z)): along a sample row
// both are linear in i, so the samples on one side of a line (a texel edge,
// the face's outline) are the i beyond one bound, worked out once per row
// rather than a test per sample. Four rows are worked out at once (AVX2).
//
// A sample counts as certainly on a side of a line only when it lies farther
// than the error bound from it, as the sample-by-sample test asks; the bounds
// are worked out in double precision, whose rounding is far below the bound's
// margin, so every sample certain here is certain there.

#include <cstdint>

// A grid of at most 10 x 10 samples: a bit a sample.
constexpr int kGridUncertainBytes = 13;

struct SGridRows {
    int side = 0; // 0: the offsets are not such a grid
    double firstX = 0.0, stepX = 0.0, firstY = 0.0, stepY = 0.0;

    // Takes the grid from n offsets in pixels, row by row (dx changing
    // fastest); `side` stays 0 when they are not a square grid of equal
    // steps, at most 10 x 10.
    void Take(const double* dx, const double* dy, int n) noexcept;
};

// One pixel whose samples reach at most two by two texels, relative to its
// centre's texel: the centre (fc, fr), the steps per pixel (gx, gy; hx, hy),
// the column and the row edge between the two texels, the outline in texels
// and the error bounds.
struct SGridPixel {
    double fc = 0.0, fr = 0.0, gx = 0.0, gy = 0.0, hx = 0.0, hy = 0.0;
    double colEdge = 0.0, rowEdge = 0.0;
    double loCol = 0.0, hiCol = 0.0, loRow = 0.0, hiRow = 0.0;
    double colBound = 0.0, rowBound = 0.0;
};

// The samples certainly on the face on each side of the two edges into
// counts (lower left, lower right, upper left, upper right: columns below
// colEdge or above it, rows below rowEdge or above it), and a bit for each
// sample neither certainly on the face nor certainly off it (sample
// s = side * j + i is bit s % 8 of uncertain[s / 8], which holds
// kGridUncertainBytes). Needs AVX2 and FMA.
void CountGridRows(const SGridRows& grid, const SGridPixel& p, int counts[4], std::uint8_t* uncertain) noexcept;
