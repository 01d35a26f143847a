#pragma once
// Projective steps (LinearSteps.h) sixteen samples at a time, for processors
// with AVX-512 byte permutes (VBMI): the sums of a pixel whose samples are
// all inside the face, as linear_steps::SumProjected gives them.
//
// The samples of such a pixel fall on a few texels around its centre: where
// they all fall within five columns and eight rows from the lowest texel the
// pixel's reach allows, those rows are read once, sixteen bytes each, and
// each sample's channels are picked out of them by one byte permute, blue,
// green and red in planes of sixteen that one sum of absolute differences
// adds up; no texel is gathered. Every sample is mapped by the same single
// precision operations as SumProjected's, so it reads the same texel.

#include "engine3d/sampling/FaceRunSampler.h"

namespace linear_steps {
struct SStepSamples;
struct SCentres;
} // namespace linear_steps

namespace projected_sums {

// Whether the processor has what SumSixteens needs (AVX2, FMA, AVX-512 F,
// BW, VL and VBMI) and it is not switched off.
bool Available() noexcept;
// Switches SumSixteens off (and on again), so that the tests reach the
// eight-wide sums too. On by default; process-wide.
void SetEnabled(bool enabled) noexcept;

// The same as linear_steps::SumProjected where it returns true: the sums of
// pixel j of `c` into `out`, (tx, ty) being the face's t at its centre. False where a
// sample lies within the bound of a texel edge, or outside the texels read
// (then `out` is not set, and the caller maps the pixel another way). The
// sample offsets must be readable up to a multiple of sixteen.
bool SumSixteens(const linear_steps::SStepSamples& r, const linear_steps::SCentres& c, int j, double tx, double ty,
                 CPixelSamples& out) noexcept;

} // namespace projected_sums
