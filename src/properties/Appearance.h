#pragma once
// Appearance pictures of the product's faces: a plain colour, a two-colour
// gradient, a tiled texture, a two-colour 8 x 8 pattern or the user's picture
// fitted to the face. The side's appearance settings (category 'S') say which
// and with what parameters; the side object itself lives in a later layer,
// which passes its settings and pictures in.
//
// Appearance settings read here (whole numbers):
//   10001 type: 0 picture, 1 colour, 2 gradient, 3 texture, 4 pattern
//   10013 magnification k, 10014 / 10015 base width / height in pixels
//   10004 / 10005 colour 1 / 2 (0x00BBGGRR)
//   10003 gradient style, 10008 texture divisor, 10002 pattern number,
//   10009 pattern cell size in base pixels, 10010 picture fitting choice

#include "image/Color.h"
#include "properties/AppearanceKinds.h"
#include "properties/settings/SettingStore.h"

#include <cstdint>
#include <memory>

class CRaster;

// Picture fitting choices (setting 10010).
enum AppearanceFit : std::int32_t {
    kFitNone = -1,    // ratios already equal: the picture is used as it comes
    kFitStretch = 0,  // resample to the face's size, nearest pixel
    kFitStart = 1,    // keep the left (or top) part
    kFitMiddle = 2,   // keep the middle part
    kFitEnd = 3,      // keep the right (or bottom) part
};

// Builds the appearance picture the settings describe and stores it in
// `picture` (the side's first picture). `texture` is the side's second picture
// (used by texture sides; may be null). For picture sides the picture already
// in `picture` is fitted to the face. Returns false when the face size is not
// usable or the picture cannot be allocated; `picture` is then empty for the
// generated types, unchanged for picture sides.
bool BuildAppearance(const SettingStore& settings, std::unique_ptr<CRaster>& picture, const CRaster* texture);

// Face size in pixels: magnification times base size. False when either is
// not positive or the product does not fit in an int.
bool GetAppearanceSize(const SettingStore& settings, int& width, int& height) noexcept;

// Paints gradient `style` (0..15 with colour 1 first, 16..31 with the colours
// exchanged) over the whole 24-bit picture.
void PaintGradient(CRaster& picture, int style, COLORREF colour1, COLORREF colour2) noexcept;

// Tiles `texture` over the picture, each texture pixel covering an m x m block,
// starting at the top-left corner.
void PaintTexture(CRaster& picture, const CRaster& texture, int blockSize) noexcept;

// Block size of a texture: the divisor and the magnification are halved
// together while both are above 1; the magnification left is the block size.
int GetTextureBlockSize(int divisor, int magnification) noexcept;

// The 8 x 8 one-bit pattern bitmap `number` (131 or 144..193): eight rows from
// the top down, the highest bit the leftmost pixel. Null for other numbers.
const std::uint8_t* GetPatternBitmap(int number) noexcept;

// Paints pattern `number` with cells of `cellSize` pixels: set bits colour 2,
// clear bits colour 1; the bitmap's top row lies on the picture's top row.
// False (picture untouched) when the pattern does not exist.
bool PaintPattern(CRaster& picture, int number, int cellSize, COLORREF colour1, COLORREF colour2) noexcept;

// Fits `source` to a face of faceWidth x faceHeight pixels. Stretching builds a
// faceWidth x faceHeight picture; keeping a part crops the source (at its own
// resolution) to the face's aspect ratio at offset 0, half or all of the excess.
// kFitNone, or a source that already has the face's ratio, gives a plain copy.
// Null when the source is empty or memory runs out.
std::unique_ptr<CRaster> FitPicture(const CRaster& source, int faceWidth, int faceHeight, int fit);
// The part of a sourceWidth x sourceHeight picture that a start, middle or
// end fit keeps: width x height from (x, yTop), rows counted from the top.
struct SFitCrop {
    std::int64_t width = 0, height = 0, x = 0, yTop = 0;
};
SFitCrop GetFitCrop(std::int64_t sourceWidth, std::int64_t sourceHeight, int faceWidth, int faceHeight, int fit);
