#pragma once
// The weighed sums of eight pixels whose samples read two by two texels
// (linear_steps::WeighFourTexelsEight), for processors with AVX-512 byte
// permutes (VBMI): where the eight pixels' texels lie on four picture rows
// within 64 bytes of the leftmost, those rows are read once and the 32
// texels picked out of them by byte permutes, blue, green and red in planes,
// each texel's byte next to its weight for a byte dot product; no texel is
// gathered. The sums are integers, so the order of adding does not matter:
// the same as WeighFourTexelsEight's.

#include <cstdint>

namespace linear_steps {
struct SStepSamples;
} // namespace linear_steps

namespace weighed_eights {

// Whether the processor has what Weigh needs (AVX2, AVX-512 F, BW, VL and
// VBMI) and it is not switched off.
bool Available() noexcept;
// Switches Weigh off (and on again), so that the tests reach the gathers
// too. On by default; process-wide.
void SetEnabled(bool enabled) noexcept;

// Pixel p (of eight) reads texel columns col[p], col[p] + 1 and rows row[p],
// row[p] + 1, each clamped to the picture, weighed by weights[8 k + p] for
// texel k (lower left, lower right, upper left, upper right; none negative,
// together at most 100): blue, green, red and the weights' sum of pixel p
// into out[4 p .. 4 p + 3] (32 words, any alignment: a run's CPixelSamples,
// or an SWeighedEight). Only the pixels of `lanes` (bit p for pixel p) are
// looked at; the others' sums are left undefined. False where their texels
// lie farther apart than the rows read (then `out` is not set).
bool Weigh(const linear_steps::SStepSamples& r, const std::int32_t* col, const std::int32_t* row,
           const std::int32_t* weights, int lanes, std::uint32_t* out) noexcept;

} // namespace weighed_eights
