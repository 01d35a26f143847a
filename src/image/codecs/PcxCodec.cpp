// ZSoft PCX reader and writer.
//
// The 128-byte header is followed by run-length coded scan lines, top line
// first; each line holds every colour plane of that line in turn, each plane
// `bytesPerLine` bytes. A byte >= 0xC0 carries a repeat count in its low six
// bits for the byte that follows; any other byte stands for itself. 8-bit
// single-plane files end with the byte 12 and a 256-entry RGB palette.

#include "image/codecs/Codecs.h"

#include "image/ByteStream.h"
#include "image/picture/PictureLimits.h"
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

// The picture a header describes. Plane layouts: 3 or 4 planes of 8 bits
// (RGB, a fourth plane ignored); 1..4 planes of 1 bit (bit p of the index in
// plane p); one plane of packed 1, 2, 4 or 8-bit pixels.
struct SPcxLayout {
    int width = 0, height = 0;
    int bits = 0, planes = 0;
    int bytesPerLine = 0;
    bool truecolor = false;  // 8-bit RGB planes
    bool bitPlanes = false;  // 1-bit planes combined into an index
    int imageBpp = 0;
    std::size_t lineBytes = 0;  // every plane of one line
    std::uint64_t total = 0;    // decoded bytes of the whole picture
};

bool Fail(CRaster& image, const char* message)
{
    image.SetLastError(message);
    return false;
}

// Checks the header's fields and the stream's length; the messages say what
// is wrong before anything is allocated.
bool ReadLayout(const std::uint8_t* header, CByteStream& stream, CRaster& image, SPcxLayout& l)
{
    if (header[kOffManufacturer] != kManufacturer)
        return Fail(image, "Error: Not a PCX file");
    if (header[kOffEncoding] != 1)
        return Fail(image, "PCX file has unknown encoding scheme");
    l.width = ReadLE16(header + kOffXMax) - ReadLE16(header + kOffXMin) + 1;
    l.height = ReadLE16(header + kOffYMax) - ReadLE16(header + kOffYMin) + 1;
    l.bits = header[kOffBitsPerPixel];
    l.planes = header[kOffPlanes];
    l.bytesPerLine = ReadLE16(header + kOffBytesPerLine);
    if (l.width <= 0 || l.height <= 0)
        return Fail(image, "corrupted PCX");
    if (!CheckPictureSize(l.width, l.height, image))
        return false;
    if (l.planes > 4)
        return Fail(image, "Can't handle image with more than 4 planes");
    l.truecolor = l.bits == 8 && (l.planes == 3 || l.planes == 4);
    l.bitPlanes = l.bits == 1 && l.planes > 1;
    if (l.planes == 0)
        return Fail(image, "corrupted PCX");
    if (!l.truecolor && !l.bitPlanes) {
        if (l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8)
            return Fail(image, "Can't handle more than 1 bit per pixel");
        if (l.planes > 1)
            return Fail(image, l.bits == 8 ? "Can't handle more than 1 bit per pixel"
                                           : "Can't handle packed pixels with more than 1 plane.");
    }
    // Every plane line must hold the pixels of a row.
    const int bitsPerPlanePixel = l.truecolor ? 8 : l.bits;
    if (static_cast<std::int64_t>(l.bytesPerLine) * 8 < static_cast<std::int64_t>(l.width) * bitsPerPlanePixel)
        return Fail(image, "corrupted PCX");
    // Several 1-bit planes combine into indices up to 15: a 4-bit picture.
    l.imageBpp = l.truecolor ? 24 : (l.bitPlanes ? 4 : l.bits);
    l.lineBytes = static_cast<std::size_t>(l.bytesPerLine) * l.planes;
    l.total = static_cast<std::uint64_t>(l.lineBytes) * static_cast<std::uint64_t>(l.height);
    // Two bytes of run-length data give at most 63 bytes; a shorter stream
    // cannot hold the picture, so it is refused before anything is allocated.
    const std::int64_t remaining = stream.Remaining();
    if (stream.Size() >= 0 && l.total > static_cast<std::uint64_t>(remaining) * 32 + 63)
        return Fail(image, "corrupted PCX");
    if (l.total > CRaster::GetAllocationLimit())
        return Fail(image, "Can't allocate memory");
    return true;
}

// Creates the picture with the header's resolution and 16-colour palette.
bool CreatePicture(const std::uint8_t* header, const SPcxLayout& l, CRaster& image)
{
    if (image.Create(l.width, l.height, l.imageBpp, IMAGE_TYPE_PCX) == nullptr)
        return Fail(image, "Can't allocate memory");
    image.SetXDPI(ReadLE16(header + kOffHDpi));
    image.SetYDPI(ReadLE16(header + kOffVDpi));
    for (int i = 0; i < 16 && i < image.GetNumColors(); ++i) {
        const std::uint8_t* e = header + kOffColorMap + i * 3;
        image.SetPaletteColor(i, e[0], e[1], e[2]);
    }
    // Many writers of black-and-white files leave the header palette empty
    // (all zero); its two equal colours would show the picture as one flat
    // area. Such a picture is read as black (0) and white (1).
    if (l.imageBpp == 1 && std::memcmp(header + kOffColorMap, header + kOffColorMap + 3, 3) == 0) {
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
    }
    return true;
}

// Run-length decoding of the whole picture into `data` (its size the decoded
// total); runs may cross line ends. The stream is left after the bytes used.
bool DecodeRuns(CByteStream& stream, CRaster& image, std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> chunk(65536);
    std::size_t chunkLen = 0;
    std::size_t chunkPos = 0;
    auto next = [&]() -> int {
        if (chunkPos == chunkLen) {
            chunkLen = stream.Read(chunk.data(), 1, chunk.size());
            chunkPos = 0;
            if (chunkLen == 0)
                return -1;
        }
        return chunk[chunkPos++];
    };
    const std::size_t total = data.size();
    std::size_t pos = 0;
    while (pos < total) {
        if (image.GetEscape())
            return Fail(image, "Cancelled");
        const int c = next();
        if (c < 0)
            return Fail(image, "corrupted PCX");
        if (c >= 0xC0) {
            const std::size_t count = static_cast<std::size_t>(c & 0x3F);
            if (count > total - pos)
                return Fail(image, "repeat count spans end of image");
            const int value = next();
            if (value < 0)
                return Fail(image, "corrupted PCX");
            std::memset(data.data() + pos, value, count);
            pos += count;
        } else {
            data[pos++] = static_cast<std::uint8_t>(c);
        }
    }
    // The stream stands after the bytes consumed, not after the read-ahead.
    const std::int64_t unread = static_cast<std::int64_t>(chunkLen - chunkPos);
    if (unread > 0)
        stream.Seek(-unread, SEEK_CUR);
    return true;
}

// The 256-colour palette after the picture data of 8-bit single-plane files.
bool ReadTrailingPalette(CByteStream& stream, CRaster& image)
{
    if (stream.GetC() != kPaletteMarker)
        return Fail(image, "bad color map signature");
    std::uint8_t pal[768];
    if (stream.Read(pal, 1, sizeof(pal)) != sizeof(pal))
        return Fail(image, "corrupted PCX");
    for (int i = 0; i < 256; ++i)
        image.SetPaletteColor(i, pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
    return true;
}

// Stores one decoded line (every plane) as picture row y.
void StoreLine(const SPcxLayout& l, const std::uint8_t* src, int y, CRaster& image)
{
    std::uint8_t* row = image.GetBits(y);
    if (l.truecolor) {
        const std::uint8_t* r = src;
        const std::uint8_t* g = src + l.bytesPerLine;
        const std::uint8_t* b = src + 2 * l.bytesPerLine;
        for (int x = 0; x < l.width; ++x) {
            row[x * 3] = b[x];
            row[x * 3 + 1] = g[x];
            row[x * 3 + 2] = r[x];
        }
    } else if (l.bitPlanes) {
        for (int x = 0; x < l.width; ++x) {
            std::uint8_t index = 0;
            for (int p = 0; p < l.planes; ++p) {
                const std::uint8_t byte = src[p * l.bytesPerLine + (x >> 3)];
                index |= static_cast<std::uint8_t>(((byte >> (7 - (x & 7))) & 1) << p);
            }
            image.SetPixelIndex(x, y, index);
        }
    } else if (l.bits == 8) {
        std::memcpy(row, src, static_cast<std::size_t>(l.width));
    } else {
        const int perByte = 8 / l.bits;
        const int mask = (1 << l.bits) - 1;
        for (int x = 0; x < l.width; ++x) {
            const std::uint8_t byte = src[x / perByte];
            const int shift = 8 - l.bits * (x % perByte + 1);
            image.SetPixelIndex(x, y, static_cast<std::uint8_t>((byte >> shift) & mask));
        }
    }
}

} // namespace

bool DecodePcx(CByteStream& stream, CRaster& image)
{
    std::uint8_t header[kHeaderSize];
    if (stream.Read(header, 1, kHeaderSize) != kHeaderSize)
        return Fail(image, "Can't read PCX image");
    SPcxLayout layout;
    if (!ReadLayout(header, stream, image, layout) || !CreatePicture(header, layout, image))
        return false;
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(layout.total));
    } catch (const std::bad_alloc&) {
        return Fail(image, "Can't allocate memory");
    }
    if (!DecodeRuns(stream, image, data))
        return false;
    if (layout.bits == 8 && layout.planes == 1 && !ReadTrailingPalette(stream, image))
        return false;
    // Lines run top-down; the picture's rows bottom-up.
    for (int line = 0; line < layout.height; ++line) {
        if (image.GetEscape())
            return Fail(image, "Cancelled");
        image.SetProgress(static_cast<int>(static_cast<std::int64_t>(line) * 100 / layout.height));
        StoreLine(layout, data.data() + static_cast<std::size_t>(line) * layout.lineBytes, layout.height - 1 - line,
                  image);
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

// How a picture is written: 24-bit as three 8-bit planes (red, green, blue),
// 8-bit as one plane with the palette at the end, 4-bit as four 1-bit planes,
// 1-bit as one.
struct SPcxPlanes {
    int planes = 1;
    int dataBytes = 0;    // bytes of pixel data in one plane line
    int bytesPerLine = 0; // dataBytes padded to an even count
};

// Fills the header for `image` and gives the plane layout it declares.
SPcxPlanes WriteHeader(const CRaster& image, std::uint8_t* header)
{
    const int width = image.GetWidth();
    const int bpp = image.GetBpp();
    header[kOffManufacturer] = kManufacturer;
    header[kOffVersion] = 5;
    header[kOffEncoding] = 1;
    WriteLE16(header + kOffXMax, static_cast<std::uint32_t>(width - 1));
    WriteLE16(header + kOffYMax, static_cast<std::uint32_t>(image.GetHeight() - 1));
    WriteLE16(header + kOffHDpi, static_cast<std::uint32_t>(std::clamp(image.GetXDPI(), 0, 65535)));
    WriteLE16(header + kOffVDpi, static_cast<std::uint32_t>(std::clamp(image.GetYDPI(), 0, 65535)));
    SPcxPlanes out;
    if (bpp == 24 || bpp == 8) {
        header[kOffBitsPerPixel] = 8;
        out.planes = bpp == 24 ? 3 : 1;
        WriteLE16(header + kOffPaletteInfo, bpp == 24 ? 1 : 0);
        out.dataBytes = width;
    } else {
        header[kOffBitsPerPixel] = 1;
        out.planes = bpp == 4 ? 4 : 1;
        out.dataBytes = (width + 7) / 8;
        // The header palette: the 16 colours of a 4-bit picture, the two
        // colours (normally black and white) of a 1-bit picture.
        for (int i = 0; i < image.GetNumColors() && i < 16; ++i) {
            const RGBQUAD q = image.GetPaletteColor(i);
            header[kOffColorMap + i * 3] = q.rgbRed;
            header[kOffColorMap + i * 3 + 1] = q.rgbGreen;
            header[kOffColorMap + i * 3 + 2] = q.rgbBlue;
        }
    }
    out.bytesPerLine = (out.dataBytes + 1) & ~1;
    header[kOffPlanes] = static_cast<std::uint8_t>(out.planes);
    WriteLE16(header + kOffBytesPerLine, static_cast<std::uint32_t>(out.bytesPerLine));
    return out;
}

// Every plane line of the picture, top line first, packed into `encoded`.
void PackPicture(const CRaster& image, const SPcxPlanes& layout, CMemoryStream& encoded)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bpp = image.GetBpp();
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(layout.bytesPerLine));
    auto closeLine = [&]() {
        PackLine(plane.data(), layout.dataBytes, encoded);
        if (layout.dataBytes != layout.bytesPerLine) {
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
            std::memcpy(plane.data(), row, static_cast<std::size_t>(layout.dataBytes));
            // Bits beyond the width are left as they are in the row padding.
            closeLine();
        }
    }
}

// The marker and 256-entry RGB palette that end an 8-bit file.
void AppendPalette(const CRaster& image, CMemoryStream& encoded)
{
    encoded.PutC(kPaletteMarker);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = image.GetPaletteColor(i);
        encoded.PutC(q.rgbRed);
        encoded.PutC(q.rgbGreen);
        encoded.PutC(q.rgbBlue);
    }
}

} // namespace

bool EncodePcx(CByteStream& stream, CRaster& image)
{
    if (!image.IsValid()) {
        image.SetLastError("cannot write PCX header");
        return false;
    }
    std::uint8_t header[kHeaderSize] = {};
    const SPcxPlanes layout = WriteHeader(image, header);
    CMemoryStream encoded;
    PackPicture(image, layout, encoded);
    if (image.GetBpp() == 8) {
        AppendPalette(image, encoded);
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
