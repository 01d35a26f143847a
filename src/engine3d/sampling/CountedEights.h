#pragma once
// Eight pixels of CFaceRunSampler::SampleRunLinear at once with AVX-512: the
// eight centres mapped in one pass of eight double lanes
// (linear_steps::MapCentres twice), and the pixels whose samples reach two
// by two texels counted with both texel edges in one register of sixteen
// float lanes, a sample row a step (linear_steps::CountFourTexelsEight),
// in one call that keeps the centres in registers.
// Every lane does the operations of the four- and eight-lane steps in the
// same order, each rounded on its own, so the results are those steps' to
// the bit.

#include <cstdint>

namespace linear_steps {
struct SCentreMapping;
struct SCentres;
struct SStepSamples;
struct SKeptRows;
} // namespace linear_steps

namespace counted_eights {

// Whether the processor has what Map and Count need (AVX2, FMA, AVX-512 F,
// DQ, BW, VL and VBMI) and they are not switched off.
bool Available() noexcept;
// Switches them off (and on again), so that the tests reach the four-lane
// steps too. On by default; process-wide.
void SetEnabled(bool enabled) noexcept;

// Eight pixels x8 .. x8 + 7 of a run, those of `valid` sampled (bit p for
// pixel x8 + p): linear_steps::MapCentres for each four, then where the
// caller counts the eight (three or more of them reach two by two texels
// but not one: those that reach at most two by two are counted),
// linear_steps::CountFourTexelsEight for them, the sums into `weighed` (32
// words, as weighed_eights::Weigh takes them). Returns the pixels counted;
// nearEdge takes CountFourTexelsEight's result, or -1 where the samples are
// not a grid (then nothing is counted, and the caller counts the eight the
// four-lane way). The centres go into c[0] and c[1] and their bits into
// bits[0] and bits[1] only where the caller samples a pixel another way:
// unless the eight is whole (valid 0xFF) and every pixel is counted away
// from the edges. What Count took from the centres stays in registers.
int MapAndCount(const linear_steps::SCentreMapping& m, const linear_steps::SStepSamples& r, int x8, int valid,
                double rowA, double rowB, double rowC, linear_steps::SCentres* c, int* bits, std::uint32_t* weighed,
                linear_steps::SKeptRows& kept, int& nearEdge) noexcept;

// linear_steps::CountNearEdges for pixel p of an eight Count set apart (its
// thresholds in `kept`), the sample rows at once: the same counts, and the
// same samples in `which`, each row's in order (returns how many).
int CountNear(const linear_steps::SStepSamples& r, const linear_steps::SKeptRows& kept, int p, int* counts,
              int* which) noexcept;

} // namespace counted_eights
