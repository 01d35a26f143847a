// ZSoft PCX reader and writer.
//
// The 128-byte header is followed by run-length coded scan lines, top line
// first; each line holds every colour plane of that line in turn, each plane
// `bytesPerLine` bytes. A byte >= 0xC0 carries a repeat count in its low six
// bits for the byte that follows; any other byte stands for itself. 8-bit
// single-plane files end with the byte 12 and a 256-entry RGB palette.

#include "image/codecs/Codecs.h"

#include "image/ByteStream.h"
#include "image/PictureLimits.h"
#include "image/Raster.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int kHeaderSize = 128;
constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kPaletteMarker = 12;

// Header field offsets.
enum : int {
    kOffManufacturer = 0,
    kOffVersion = 1,
    kOffEncoding = 2,
    kOffBitsPerPixel = 3,
    kOffXMin = 4,
    kOffYMin = 6,
    kOffXMax = 8,
    kOffYMax = 10,
    kOffHDpi = 12,
    kOffVDpi = 14,
    kOffColorMap = 16, // 16 entries of red, green, blue
    kOffPlanes = 65,
    kOffBytesPerLine = 66,
    kOffPaletteInfo = 68,
};

} // namespace

bool DecodePcx(CByteStream& stream, CRaster& image)
{
    std::uint8_t header[kHeaderSize];
    if (stream.Read(header, 1, kHeaderSize) != kHeaderSize) {
        image.SetLastError("Can't read PCX image");
        return false;
    }
    if (header[kOffManufacturer] != kManufacturer) {
        image.SetLastError("Error: Not a PCX file");
        return false;
    }
    if (header[kOffEncoding] != 1) {
        image.SetLastError("PCX file has unknown encoding scheme");
        return false;
    }
    const int width = ReadLE16(header + kOffXMax) - ReadLE16(header + kOffXMin) + 1;
    const int height = ReadLE16(header + kOffYMax) - ReadLE16(header + kOffYMin) + 1;
    const int bits = header[kOffBitsPerPixel];
    const int planes = header[kOffPlanes];
    const int bytesPerLine = ReadLE16(header + kOffBytesPerLine);
    if (width <= 0 || height <= 0) {
        image.SetLastError("corrupted PCX");
        return false;
    }
    if (!CheckPictureSize(width, height, image)) {
        return false;
    }
    if (planes > 4) {
        image.SetLastError("Can't handle image with more than 4 planes");
        return false;
    }
    // Plane layouts: 3 or 4 planes of 8 bits (RGB, a fourth plane ignored);
    // 1..4 planes of 1 bit (bit p of the index in plane p); one plane of
    // packed 1, 2, 4 or 8-bit pixels.
    const bool truecolor = bits == 8 && (planes == 3 || planes == 4);
    const bool bitPlanes = bits == 1 && planes > 1;
    if (planes == 0) {
        image.SetLastError("corrupted PCX");
        return false;
    }
    if (!truecolor && !bitPlanes) {
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8) {
            image.SetLastError("Can't handle more than 1 bit per pixel");
            return false;
        }
        if (planes > 1) {
            image.SetLastError(bits == 8 ? "Can't handle more than 1 bit per pixel"
                                         : "Can't handle packed pixels with more than 1 plane.");
            return false;
        }
    }
    // Every plane line must hold the pixels of a row.
    const int bitsPerPlanePixel = truecolor ? 8 : bits;
    if (static_cast<std::int64_t>(bytesPerLine) * 8 < static_cast<std::int64_t>(width) * bitsPerPlanePixel) {
        image.SetLastError("corrupted PCX");
        return false;
    }
    // Several 1-bit planes combine into indices up to 15: a 4-bit picture.
    const int imageBpp = truecolor ? 24 : (bitPlanes ? 4 : bits);
    const std::size_t lineBytes = static_cast<std::size_t>(bytesPerLine) * planes;
    const std::uint64_t total = static_cast<std::uint64_t>(lineBytes) * static_cast<std::uint64_t>(height);
    // Two bytes of run-length data give at most 63 bytes; a shorter stream
    // cannot hold the picture, so it is refused before anything is allocated.
    const std::int64_t remaining = stream.Remaining();
    if (stream.Size() >= 0 && total > static_cast<std::uint64_t>(remaining) * 32 + 63) {
        image.SetLastError("corrupted PCX");
        return false;
    }
    if (total > CRaster::GetAllocationLimit()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (image.Create(width, height, imageBpp, IMAGE_TYPE_PCX) == nullptr) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    image.SetXDPI(ReadLE16(header + kOffHDpi));
    image.SetYDPI(ReadLE16(header + kOffVDpi));
    for (int i = 0; i < 16 && i < image.GetNumColors(); ++i) {
        const std::uint8_t* e = header + kOffColorMap + i * 3;
        image.SetPaletteColor(i, e[0], e[1], e[2]);
    }
    // Many writers of black-and-white files leave the header palette empty
    // (all zero); its two equal colours would show the picture as one flat
    // area. Such a picture is read as black (0) and white (1).
    if (imageBpp == 1 && std::memcmp(header + kOffColorMap, header + kOffColorMap + 3, 3) == 0) {
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
    }

    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc&) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    // Run-length decoding of the whole picture; runs may cross line ends.
    {
        std::vector<std::uint8_t> chunk(65536);
        std::size_t chunkLen = 0;
        std::size_t chunkPos = 0;
        auto next = [&]() -> int {
            if (chunkPos == chunkLen) {
                chunkLen = stream.Read(chunk.data(), 1, chunk.size());
                chunkPos = 0;
                if (chunkLen == 0) {
                    return -1;
                }
            }
            return chunk[chunkPos++];
        };
        std::size_t pos = 0;
        while (pos < total) {
            if (image.GetEscape()) {
                image.SetLastError("Cancelled");
                return false;
            }
            const int c = next();
            if (c < 0) {
                image.SetLastError("corrupted PCX");
                return false;
            }
            if (c >= 0xC0) {
                const std::size_t count = static_cast<std::size_t>(c & 0x3F);
                if (count > total - pos) {
                    image.SetLastError("repeat count spans end of image");
                    return false;
                }
                const int value = next();
                if (value < 0) {
                    image.SetLastError("corrupted PCX");
                    return false;
                }
                std::memset(data.data() + pos, value, count);
                pos += count;
            } else {
                data[pos++] = static_cast<std::uint8_t>(c);
            }
        }
        // The stream stands after the bytes consumed, not after the read-ahead.
        const std::int64_t unread = static_cast<std::int64_t>(chunkLen - chunkPos);
        if (unread > 0) {
            stream.Seek(-unread, SEEK_CUR);
        }
    }

    if (bits == 8 && planes == 1) {
        const int marker = stream.GetC();
        if (marker != kPaletteMarker) {
            image.SetLastError("bad color map signature");
            return false;
        }
        std::uint8_t pal[768];
        if (stream.Read(pal, 1, sizeof(pal)) != sizeof(pal)) {
            image.SetLastError("corrupted PCX");
            return false;
        }
        for (int i = 0; i < 256; ++i) {
            image.SetPaletteColor(i, pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
        }
    }

    // Lines run top-down; the picture's rows bottom-up.
    for (int line = 0; line < height; ++line) {
        if (image.GetEscape()) {
            image.SetLastError("Cancelled");
            return false;
        }
        image.SetProgress(static_cast<int>(static_cast<std::int64_t>(line) * 100 / height));
        const std::uint8_t* src = data.data() + static_cast<std::size_t>(line) * lineBytes;
        const int y = height - 1 - line;
        std::uint8_t* row = image.GetBits(y);
        if (truecolor) {
            const std::uint8_t* r = src;
            const std::uint8_t* g = src + bytesPerLine;
            const std::uint8_t* b = src + 2 * bytesPerLine;
            for (int x = 0; x < width; ++x) {
                row[x * 3] = b[x];
                row[x * 3 + 1] = g[x];
                row[x * 3 + 2] = r[x];
            }
        } else if (bitPlanes) {
            for (int x = 0; x < width; ++x) {
                std::uint8_t index = 0;
                for (int p = 0; p < planes; ++p) {
                    const std::uint8_t byte = src[p * bytesPerLine + (x >> 3)];
                    index |= static_cast<std::uint8_t>(((byte >> (7 - (x & 7))) & 1) << p);
                }
                image.SetPixelIndex(x, y, index);
            }
        } else if (bits == 8) {
            std::memcpy(row, src, static_cast<std::size_t>(width));
        } else {
            const int perByte = 8 / bits;
            const int mask = (1 << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const std::uint8_t byte = src[x / perByte];
                const int shift = 8 - bits * (x % perByte + 1);
                image.SetPixelIndex(x, y, static_cast<std::uint8_t>((byte >> shift) & mask));
            }
        }
    }
    image.SetProgress(100);
    return true;
}

namespace {

// Run-length packing of one plane line: runs of equal bytes, at most 63 long.
// A run longer than 1, or a single byte >= 0xC0, is written as (0xC0 | count)
// and the byte; a single smaller byte stands for itself.
void PackLine(const std::uint8_t* line, int count, CMemoryStream& out)
{
    int i = 0;
    while (i < count) {
        const std::uint8_t value = line[i];
        int run = 1;
        while (i + run < count && run < 63 && line[i + run] == value) {
            ++run;
        }
        if (run > 1 || value >= 0xC0) {
            out.PutC(static_cast<std::uint8_t>(0xC0 | run));
        }
        out.PutC(value);
        i += run;
    }
}

} // namespace

bool EncodePcx(CByteStream& stream, CRaster& image)
{
    if (!image.IsValid()) {
        image.SetLastError("cannot write PCX header");
        return false;
    }
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bpp = image.GetBpp();
    std::uint8_t header[kHeaderSize] = {};
    header[kOffManufacturer] = kManufacturer;
    header[kOffVersion] = 5;
    header[kOffEncoding] = 1;
    WriteLE16(header + kOffXMax, static_cast<std::uint32_t>(width - 1));
    WriteLE16(header + kOffYMax, static_cast<std::uint32_t>(height - 1));
    WriteLE16(header + kOffHDpi, static_cast<std::uint32_t>(std::clamp(image.GetXDPI(), 0, 65535)));
    WriteLE16(header + kOffVDpi, static_cast<std::uint32_t>(std::clamp(image.GetYDPI(), 0, 65535)));
    int planes = 1;
    int dataBytes = 0; // bytes of pixel data in one plane line
    if (bpp == 24 || bpp == 8) {
        header[kOffBitsPerPixel] = 8;
        planes = bpp == 24 ? 3 : 1;
        WriteLE16(header + kOffPaletteInfo, bpp == 24 ? 1 : 0);
        dataBytes = width;
    } else {
        header[kOffBitsPerPixel] = 1;
        planes = bpp == 4 ? 4 : 1;
        dataBytes = (width + 7) / 8;
        // The header palette: the 16 colours of a 4-bit picture, the two
        // colours (normally black and white) of a 1-bit picture.
        for (int i = 0; i < image.GetNumColors() && i < 16; ++i) {
            const RGBQUAD q = image.GetPaletteColor(i);
            header[kOffColorMap + i * 3] = q.rgbRed;
            header[kOffColorMap + i * 3 + 1] = q.rgbGreen;
            header[kOffColorMap + i * 3 + 2] = q.rgbBlue;
        }
    }
    const int bytesPerLine = (dataBytes + 1) & ~1;
    header[kOffPlanes] = static_cast<std::uint8_t>(planes);
    WriteLE16(header + kOffBytesPerLine, static_cast<std::uint32_t>(bytesPerLine));

    CMemoryStream encoded;
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(bytesPerLine));
    auto closeLine = [&]() {
        PackLine(plane.data(), dataBytes, encoded);
        if (dataBytes != bytesPerLine) {
            encoded.PutC(0); // pads the line to the even bytes-per-line
        }
    };
    for (int line = 0; line < height; ++line) {
        const int y = height - 1 - line;
        const std::uint8_t* row = image.GetBits(y);
        if (bpp == 24) {
            for (int channel = 2; channel >= 0; --channel) { // red, green, blue planes
                for (int x = 0; x < width; ++x) {
                    plane[x] = row[x * 3 + channel];
                }
                closeLine();
            }
        } else if (bpp == 8) {
            std::memcpy(plane.data(), row, static_cast<std::size_t>(width));
            closeLine();
        } else if (bpp == 4) {
            for (int p = 0; p < 4; ++p) {
                std::fill(plane.begin(), plane.end(), 0);
                for (int x = 0; x < width; ++x) {
                    if ((image.GetPixelIndex(x, y) >> p) & 1) {
                        plane[x >> 3] = static_cast<std::uint8_t>(plane[x >> 3] | (0x80 >> (x & 7)));
                    }
                }
                closeLine();
            }
        } else {
            std::memcpy(plane.data(), row, static_cast<std::size_t>(dataBytes));
            // Bits beyond the width are left as they are in the row padding.
            closeLine();
        }
    }
    if (bpp == 8) {
        encoded.PutC(kPaletteMarker);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD q = image.GetPaletteColor(i);
            encoded.PutC(q.rgbRed);
            encoded.PutC(q.rgbGreen);
            encoded.PutC(q.rgbBlue);
        }
    }
    if (encoded.Error()) {
        image.SetLastError("Can't allocate memory");
        return false;
    }
    if (stream.Write(header, 1, kHeaderSize) != kHeaderSize) {
        image.SetLastError("cannot write PCX header");
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(encoded.Size());
    if (size > 0 && stream.Write(encoded.GetBuffer(), 1, size) != size) {
        image.SetLastError("cannot write PCX data");
        return false;
    }
    return true;
}
