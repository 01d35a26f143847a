#pragma once
// The orientation a camera records with a photograph (the EXIF and TIFF
// Orientation tag, 0x0112) and turning a decoded picture upright by it.
//
// Values 1 to 8 say where the stored first row and first column belong on the
// picture as it is meant to be seen:
//   1 top, left (as stored)       5 left, top (transposed)
//   2 top, right (mirrored)       6 right, top (turn clockwise to view)
//   3 bottom, right (half turn)   7 right, bottom (transversed)
//   4 bottom, left (flipped)      8 left, bottom (turn anticlockwise to view)

#include <cstddef>
#include <cstdint>

class CRaster;

// Orientation tag 0x0112.
constexpr std::uint16_t kTagOrientation = 0x0112;

// Reads the orientation from the body of a JPEG APP1 segment ("Exif\0\0", then
// a TIFF header in either byte order and the first image directory). Gives 1
// when the segment is not EXIF, is damaged or cut short, holds no orientation,
// or holds a value outside 1..8. Every offset and count is checked against
// `size` before it is used.
int ReadExifOrientation(const std::uint8_t* data, std::size_t size) noexcept;

// Turns `image` so that it shows as meant for the given orientation; 1 and any
// value outside 2..8 leave it unchanged. False (the picture unchanged, the
// reason in its last error) when memory for a quarter turn runs out.
bool ApplyOrientation(CRaster& image, int orientation);
