#pragma once
// The CD-ROM of new projects as a studio photograph shows it: a mirror-like
// disc with a soft rainbow sheen and a clear hub, the printed surface on it.

class CRaster;

// Turns a CD-ROM surface picture (the disc centred in a square picture, radius
// half its width, 0xFEFEFE outside the disc and in the hole) into the studio
// disc: the hole and the outside stay 0xFEFEFE; between the hole and 98/346 of
// the radius a clear plastic hub with its stacking ring, then a band of bare
// mirror up to 138/346, then the print, and a thin clear edge instead of the
// black outline. A `metallic` print (the gold and silver surfaces) becomes a
// mirror of its own tint with the sheen; any other print keeps its pixels.
void MakeStudioDisc(CRaster& surface, bool metallic) noexcept;
