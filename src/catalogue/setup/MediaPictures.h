#pragma once
// The pictures the first-run setup draws: CD-ROM surfaces (plain colours and
// the metallic finishes with grooves and sheen), floppy-disk and zip-disk
// faces, and the small thumbnails the wizard lists show. All are 24-bit.

#include "image/Color.h"

#include <memory>

class CRaster;

// CD-ROM surface: 693 x 693 pixels (radius 346).
inline constexpr int kCDPictureSize = 693;
// Thumbnails of every group fit in this square (the wizard's list cell).
inline constexpr int kThumbnailSize = 77;

// Flags of a metallic variant: grooves and sheen, and the two shaping bits.
struct CDFinish {
    bool grooves = false; // grooves and the sheen
    bool sheenCross = false; // four highlights instead of two
    bool sheenStrong = false; // brighter, narrower highlights
};

// Draws a CD-ROM surface in the three colours (first, second, third: the groove
// triple; the second is also the body). Null when memory runs out.
std::unique_ptr<CRaster> DrawCDPicture(COLORREF first, COLORREF second, COLORREF third, CDFinish finish);

// Kinds of removable media with their face pictures.
enum class MediaKind { Floppy, Zip };

struct MediaPictureSet {
    std::unique_ptr<CRaster> front;  // face of the disk
    std::unique_ptr<CRaster> top;    // top edge
    std::unique_ptr<CRaster> bottom; // bottom edge
};

// Face pixels per millimetre of the media pictures.
inline constexpr int kMediaPixelsPerMm = 4;

// Draws the three faces of a disk: body in `body` with its light and dark
// tones for the moulded edges, the metal shutter in `shutter`. The sets are
// empty (null members) when memory runs out.
MediaPictureSet DrawMediaPictures(MediaKind kind, COLORREF body, COLORREF light, COLORREF dark, COLORREF shutter);

// Scales `source` down (box average) to fit a kThumbnailSize square, centred
// on white. Null when the source is empty or memory runs out.
std::unique_ptr<CRaster> MakeThumbnail(const CRaster& source, int size = kThumbnailSize);

// Light tone: every channel + 32, at most 255. Dark tone: every channel - 16,
// at least 0.
COLORREF LightTone(COLORREF color) noexcept;
COLORREF DarkTone(COLORREF color) noexcept;
// True when every channel is 193 or more: such a tone is too pale for a disk.
bool IsPaleTone(COLORREF color) noexcept;
