#pragma once
// CFlatTiles: the parts of a face picture that are one colour, in tiles of
// 8 x 8 texels. Sampling at the nearest texel, a pixel all of whose samples
// read texels of one colour has that colour whatever the samples, so it needs
// no more than the texels its samples can reach: on a face the samples of a
// pixel form a grid whose image in the picture lies within the four corner
// samples' (the mapping is projective and keeps straight lines), so their
// columns and rows lie between the corners' (widened by far more than the
// rounding of a sample's position).

#include "engine3d/sampling/TextureSet.h"

#include <cstdint>
#include <vector>

class CFlatTiles {
public:
    static constexpr int kShift = 3; // tiles of 8 x 8 texels

    // False when there is no memory, or when no tile is one colour (the
    // tiles would not help).
    bool Build(const CTexture& picture) noexcept;

    // The colour (blue | green << 8 | red << 16) when every texel of columns
    // c0 .. c1 and rows r0 .. r1 has it.
    bool IsOneColour(int c0, int c1, int r0, int r1, std::uint32_t& colour) const noexcept;

private:
    static constexpr std::uint32_t kMixed = 0xFFFFFFFFu;
    int m_columns = 0, m_rows = 0;
    std::vector<std::uint32_t> m_tiles; // a colour, or kMixed
    std::uint32_t m_whole = kMixed;     // the colour of a picture of one colour
};
