#pragma once
// The studio backdrop: a sheet of paper hung from the top of the picture and
// curved onto the table. The table near the camera gets the full light, the
// curve darkens it gently and the hanging part is a little darker again,
// falling off towards the sides. The ground colour (the background picture)
// is multiplied by that light in linear light, so a white background reads
// as a lit paper sweep and a coloured one keeps its hue.

#include "engine3d/surface/CoveredColumns.h"
#include "render/PixelView.h"

#include <cstdint>

// Light of the sweep at picture row y (0 the bottom row) of a picture of
// `height` rows: 1 on the table, easing through the curve to kSweepWall and
// on to kSweepTop at the top row.
double SweepRowLight(int y, int height) noexcept;
// Light across a row: 1 at the centre, 1 - kSweepSides at the left and right edges.
double SweepColumnLight(int x, int width) noexcept;

constexpr double kSweepWall = 0.80;  // linear light where the paper leaves the curve
constexpr double kSweepTop = 0.70;   // linear light at the top of the picture
constexpr double kSweepSides = 0.08; // share the left and right edges lose

// Multiplies the rows of `band` (rows firstRow .. of a width x height
// picture, bottom row first) by the sweep's light. With `covered` (one entry
// a band row) the columns it gives are left out: they may hold anything.
void ApplyBackdropSweep(const CPixelView& band, int firstRow, int width, int height,
                        const CCoveredRow* covered = nullptr) noexcept;

// The rows of `band` filled with one colour (0x00BBGGRR: blue in the high
// byte, as a 24-bit pixel's first byte) under the sweep's light: the same
// pixels as filling them and applying the sweep. With `covered` (one entry a
// band row) the columns it gives may be left out.
void FillBackdropSweep(const CPixelView& band, int firstRow, int width, int height, std::uint32_t bgr,
                       const CCoveredRow* covered = nullptr) noexcept;
