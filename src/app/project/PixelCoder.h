#pragma once
// Byte coding of 24-bit picture rows as stored in project files and undo files.
//
// Pixels are three bytes blue, green, red; rows are `stride` bytes apart and
// are coded in the raster's own row order (row 0 first). Within the coding,
// "above" means the previous coded row (x, y - 1) and "left" means (x - 1, y).
// The decoder keeps a current colour that survives from pixel to pixel and
// row to row; every opcode ends by writing it into one or more pixels.
//
// Opcode groups (all arithmetic on a channel is modulo 256):
//   0            literal red, green, blue
//   14           literal colour filling the whole row
//   15           the whole row copied from the row above
//   106..111     one channel 255 (106..108) or 0 (109..111) in red/green/blue, v in the other two
//   116/123/124  (254,254,254) / black / white
//   117..119     v in blue/green/red, 255 in the other two
//   120..122     a in blue/green/red, b in the other two
//   125..127     v in blue/green/red, 0 in the other two
//   128          grey v
//   132..137     above minus a packed difference     138..143  left minus
//   148..153     above plus a packed difference      154..159  left plus
//   164..169     above with channels replaced        170..175  left with channels replaced
//   183..191, 199..207, 215..223, 231..239, 247..255
//                a reference pixel repeated 5, 4, 3, 2, 1 times
//   anything else: the current colour once
// A reference to a pixel outside the picture (or to a pixel not decoded yet)
// reads as black, so hostile data can never reach outside the buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

class CPixelCoder {
public:
    // Appends the coding of `height` rows of `width` pixels to `out`.
    static void Encode(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                       std::vector<std::uint8_t>& out);

    // Decodes `height` rows of `width` pixels from data[0 .. size). On success
    // returns true and sets `used` to the number of bytes consumed. Returns
    // false when the data ends before the last row is complete; the rows
    // decoded so far stay in `pixels`.
    static bool Decode(const std::uint8_t* data, std::size_t size, std::size_t& used,
                       std::uint8_t* pixels, int width, int height, std::size_t stride) noexcept;
};
