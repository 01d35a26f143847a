#pragma once
// The picture formats CRaster reads and writes, one table: a row per format
// with its image type, name, file extensions, reader, writer and the options
// its writer takes. Detection tries the rows in order; code that lists
// formats (file patterns, output names, the options a save asks for) reads
// the table.

#include <cstdint>
#include <span>
#include <string_view>

class CByteStream;
class CRaster;

// What a writer takes from the picture besides its pixels.
enum PictureCodecOption : unsigned {
    kCodecQuality = 1,      // the JPEG quality (SetJpegQuality)
    kCodecTransparency = 2, // an alpha channel or a transparent palette index
};

struct SPictureCodec {
    int imageType;                              // IMAGE_TYPE_*
    const char* name;                           // "BMP", "JPEG", ...
    const char* extensions[2];                  // lower case with the dot; the first is the one written
    bool (*read)(CByteStream&, CRaster&);
    bool (*write)(CByteStream&, CRaster&);      // null: read only
    unsigned options;                           // PictureCodecOption bits
};

// Every format, in the order detection tries them.
std::span<const SPictureCodec> GetPictureCodecs() noexcept;
// The row of an image type, or nullptr.
const SPictureCodec* FindPictureCodec(int imageType) noexcept;
// The first row with the extension (lower case, with its dot), or nullptr.
const SPictureCodec* FindPictureCodecByExtension(std::string_view extension) noexcept;
