// Windows bitmap reader and writer.
//
// Reads a file with the 14-byte "BM" file header or a bare DIB (as the
// clipboard carries it), with a 40-byte (or longer, V4/V5) info header or the
// 12-byte OS/2 core header; 1/4/8/16/24/32 bits; RLE8, RLE4 and bitfields;
// bottom-up or top-down rows. Writes uncompressed bottom-up files.

#include "image/codecs/Codecs.h"

#include "image/ByteStream.h"
#include "image/picture/PictureLimits.h"
#include "image/Raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr std::uint16_t kBmSignature = 0x4D42; // "BM"
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

int PelsPerMeterToDpi(std::int32_t ppm)
{
    if (ppm <= 0) {
        return 0;
    }
    return static_cast<int>(std::floor(static_cast<double>(ppm) * 0.0254 + 0.5));
}

// One colour channel described by a bit mask: the masked bits are shifted down
// and scaled to 0..255 (value * 255 / largest value, rounded), so a 5-bit 31 and
// an 8-bit 255 both give 255.
struct SChannelMask {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit SChannelMask(std::uint32_t m) : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint8_t Extract(std::uint32_t v) const noexcept
    {
        if (max == 0) {
            return 0;
        }
        const std::uint64_t c = (v & mask) >> shift;
        return static_cast<std::uint8_t>((c * 255 + max / 2) / max);
    }
};

// Index of pixel i of a run whose bytes are `bytes` (RLE4: two per byte, high nibble first).
std::uint8_t RleIndex(const std::uint8_t* bytes, int i, bool rle4) noexcept
{
    if (!rle4) {
        return bytes[i];
    }
    const std::uint8_t b = bytes[i / 2];
    return (i & 1) ? (b & 0x0F) : (b >> 4);
}

// Where the runs write next, kept within width x height.
struct SRleCursor {
    CRaster& image;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;

    // Writes the pixels of a run that fall inside the row, then advances x
    // (clamped to the width: everything further right is dropped too).
    template <class Pixel>
    void PutRun(int count, Pixel&& pixel)
    {
        if (y < height) {
            const int inside = std::min(count, width - x);
            for (int i = 0; i < inside; ++i) {
                image.SetPixelIndex(x + i, y, pixel(i));
            }
        }
        x = std::min(width, x + count);
    }
};

// A delta escape: moves by (dx, dy), which must land inside the picture.
bool ReadRleDelta(CByteStream& stream, SRleCursor& at)
{
    std::uint8_t delta[2];
    if (stream.Read(delta, 1, 2) != 2) {
        at.image.SetLastError("BMP file is truncated");
        return false;
    }
    // Column width and row height are already outside the picture.
    at.x += delta[0];
    at.y += delta[1];
    if (at.x > at.width || at.y > at.height || (delta[0] != 0 && at.x == at.width) ||
        (delta[1] != 0 && at.y == at.height)) {
        at.image.SetLastError("BMP RLE data runs past the image");
        return false;
    }
    return true;
}

// An absolute run of n pixels, its bytes padded to a 16-bit boundary.
bool ReadRleAbsolute(CByteStream& stream, SRleCursor& at, int n, bool rle4)
{
    std::uint8_t absolute[256];
    const int bytes = rle4 ? (n + 1) / 2 : n;
    const int padded = (bytes + 1) & ~1;
    if (stream.Read(absolute, 1, static_cast<std::size_t>(padded)) != static_cast<std::size_t>(padded)) {
        at.image.SetLastError("BMP file is truncated");
        return false;
    }
    at.PutRun(n, [&](int i) { return RleIndex(absolute, i, rle4); });
    return true;
}

// Run-length decoding of RLE8 (4 == false) and RLE4 data into a palette image.
// Pairs (count, value) give runs; a 0 count escapes: 0 end of line, 1 end of
// bitmap, 2 delta (dx, dy), n >= 3 an absolute run of n pixels padded to a
// 16-bit boundary.
//
// Many encoders code every row at its padded width (a multiple of 4 bytes), so
// a run may pass the row end; the pixels beyond the last column (and in rows
// above the last) are dropped, as common decoders do, and a run never wraps
// into the next row. The position is kept within width x height so that an
// endless stream of runs cannot overflow it. Only a delta move that lands outside
// the picture is refused: no encoder writes one.
bool DecodeRle(CByteStream& stream, CRaster& image, bool rle4)
{
    SRleCursor at{image, image.GetWidth(), image.GetHeight()};
    for (;;) {
        if (image.GetEscape()) {
            image.SetLastError("Cancelled");
            return false;
        }
        std::uint8_t pair[2];
        if (stream.Read(pair, 1, 2) != 2) {
            if (at.y >= at.height) {
                return true; // every row is complete; the end marker is missing
            }
            image.SetLastError("BMP file is truncated");
            return false;
        }
        const int count = pair[0];
        if (count > 0) {
            // RLE4 runs alternate the high and the low nibble of the value.
            at.PutRun(count, [&](int i) { return RleIndex(pair + 1, rle4 ? (i & 1) : 0, rle4); });
            continue;
        }
        bool ok = true;
        switch (pair[1]) {
        case 0: // end of line
            at.x = 0;
            at.y = std::min(at.height, at.y + 1);
            break;
        case 1: // end of bitmap
            return true;
        case 2: ok = ReadRleDelta(stream, at); break;
        default: ok = ReadRleAbsolute(stream, at, pair[1], rle4); break;
        }
        if (!ok) {
            return false;
        }
    }
}

bool SkipBytes(CByteStream& stream, std::int64_t count)
{
    if (count <= 0) {
        return true;
    }
    const std::int64_t remaining = stream.Remaining();
    if (count > remaining) {
        return false;
    }
    return stream.Seek(count, SEEK_CUR);
}

// What the headers of a bitmap say.
struct SBmpLayout {
    std::int64_t start = 0;        // stream position of the file (or bare DIB)
    std::uint32_t bitsOffset = 0;  // from the file header; 0 for a bare DIB
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::int32_t xppm = 0;
    std::int32_t yppm = 0;
    std::uint32_t colorsUsed = 0;
    bool os2 = false;
    bool topDown = false;
    std::int64_t headerExtra = 0;  // bytes of a longer info header still to skip
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};

    bool Palettized() const noexcept { return bitCount <= 8; }
    bool Rle() const noexcept { return compression == kBiRle8 || compression == kBiRle4; }
};

bool Refuse(CRaster& image, const char* message)
{
    image.SetLastError(message);
    return false;
}

// The 14-byte file header, or a bare DIB (the stream goes back to its start).
bool ReadFileHeader(CByteStream& stream, SBmpLayout& b, CRaster& image)
{
    b.start = stream.Tell();
    if (b.start < 0) {
        return Refuse(image, "Error reading BMP info");
    }
    std::uint8_t fileHeader[14];
    const bool haveFileHeader = stream.Read(fileHeader, 1, 14) == 14 && ReadLE16(fileHeader) == kBmSignature;
    if (haveFileHeader) {
        b.bitsOffset = ReadLE32(fileHeader + 10);
    } else if (!stream.Seek(b.start, SEEK_SET)) {
        return Refuse(image, "Error reading BMP info");
    }
    return true;
}

// The 12-byte OS/2 core header or a 40-byte (or longer) info header.
bool ReadInfoHeader(CByteStream& stream, SBmpLayout& b, CRaster& image)
{
    std::uint8_t info[40] = {};
    if (stream.Read(info, 1, 4) != 4) {
        return Refuse(image, "Error reading BMP info");
    }
    const std::uint32_t headerSize = ReadLE32(info);
    if (headerSize == 12) {
        if (stream.Read(info + 4, 1, 8) != 8) {
            return Refuse(image, "Error reading BMP info");
        }
        b.os2 = true;
        b.width = ReadLE16(info + 4);
        b.height = static_cast<std::int16_t>(ReadLE16(info + 6));
        b.bitCount = ReadLE16(info + 10);
        return true;
    }
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 && headerSize != 108 &&
        headerSize != 124) {
        return Refuse(image, "Error reading BMP info");
    }
    if (stream.Read(info + 4, 1, 36) != 36) {
        return Refuse(image, "Error reading BMP info");
    }
    b.width = static_cast<std::int32_t>(ReadLE32(info + 4));
    b.height = static_cast<std::int32_t>(ReadLE32(info + 8));
    b.bitCount = ReadLE16(info + 14);
    b.compression = ReadLE32(info + 16);
    b.xppm = static_cast<std::int32_t>(ReadLE32(info + 24));
    b.yppm = static_cast<std::int32_t>(ReadLE32(info + 28));
    b.colorsUsed = ReadLE32(info + 32);
    b.headerExtra = static_cast<std::int64_t>(headerSize) - 40;
    return true;
}

// The size (a negative height stores the rows top-down), the bit count and
// the compression that goes with it.
bool CheckFormat(SBmpLayout& b, CRaster& image)
{
    b.topDown = b.height < 0;
    if (b.topDown) {
        b.height = -b.height;
    }
    if (b.width <= 0 || b.height <= 0) {
        return Refuse(image, "Error reading BMP info");
    }
    if (!CheckPictureSize(b.width, b.height, image)) {
        return false;
    }
    const int bits = b.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return Refuse(image, "compression type not supported");
    }
    if (b.Palettized()) {
        const bool ok = b.compression == kBiRgb || (bits == 8 && b.compression == kBiRle8) ||
                        (bits == 4 && b.compression == kBiRle4);
        if (!ok) {
            return Refuse(image, "unknown compression");
        }
    } else if (bits == 24 ? b.compression != kBiRgb : (b.compression != kBiRgb && b.compression != kBiBitfields)) {
        return Refuse(image, "unknown compression");
    }
    return true;
}

// Bitfield masks follow a 40-byte header (or are the first fields beyond it);
// the rest of a longer header is skipped.
bool ReadMasks(CByteStream& stream, SBmpLayout& b, CRaster& image)
{
    if (b.bitCount == 32) {
        b.masks[0] = 0x00FF0000;
        b.masks[1] = 0x0000FF00;
        b.masks[2] = 0x000000FF;
    }
    if (b.compression == kBiBitfields) {
        std::uint8_t raw[12];
        if (stream.Read(raw, 1, 12) != 12) {
            return Refuse(image, "Error reading BMP info");
        }
        b.masks[0] = ReadLE32(raw);
        b.masks[1] = ReadLE32(raw + 4);
        b.masks[2] = ReadLE32(raw + 8);
        b.headerExtra -= 12;
    }
    if (!SkipBytes(stream, b.headerExtra)) {
        return Refuse(image, "Error reading BMP info");
    }
    return true;
}

// Uncompressed rows must all be present; refusing early also keeps a tiny
// file from asking for a huge picture. Run-length data can end the picture
// early (end of bitmap) or skip over it (delta moves), so it has no exact
// floor; but an encoder that codes every pixel writes two bytes per run of at
// most 255 pixels and two per row (about 127 pixels per byte at best). A file
// that claims more than 32 times that, 4096 pixels per byte of data, is
// refused rather than made into a huge blank picture.
bool CheckDataSize(CByteStream& stream, const SBmpLayout& b, CRaster& image)
{
    constexpr std::int64_t kMaxRlePixelsPerByte = 4096;
    const std::int64_t size = stream.Size();
    if (size < 0) {
        return true;
    }
    const std::int64_t dataStart = b.bitsOffset != 0 ? b.start + b.bitsOffset : stream.Tell();
    const std::int64_t data = size - dataStart;
    const bool shortRows = !b.Rle() && CRaster::EffWidthFor(b.width, b.bitCount) * b.height > data;
    const bool shortRuns = b.Rle() && b.width * b.height > (data + 2) * kMaxRlePixelsPerByte;
    if (dataStart > size || shortRows || shortRuns) {
        return Refuse(image, "BMP file is truncated");
    }
    return true;
}

bool CreatePicture(const SBmpLayout& b, CRaster& image)
{
    if (image.Create(static_cast<int>(b.width), static_cast<int>(b.height), b.bitCount, IMAGE_TYPE_BMP) ==
        nullptr) {
        return Refuse(image, "Can't allocate memory");
    }
    image.SetXDPI(PelsPerMeterToDpi(b.xppm));
    image.SetYDPI(PelsPerMeterToDpi(b.yppm));
    return true;
}

// The palette of a 1/4/8-bit picture: the colours used, or all 2^bits.
bool ReadPalette(CByteStream& stream, const SBmpLayout& b, CRaster& image)
{
    if (!b.Palettized()) {
        return true;
    }
    const int entrySize = b.os2 ? 3 : 4;
    const std::uint32_t maxColors = 1u << b.bitCount;
    const std::uint32_t count = b.colorsUsed == 0 ? maxColors : b.colorsUsed;
    if (count > maxColors) {
        return Refuse(image, "BMP palette has more colours than the bit count allows");
    }
    std::uint8_t raw[256 * 4];
    const std::size_t bytes = static_cast<std::size_t>(count) * entrySize;
    if (stream.Read(raw, 1, bytes) != bytes) {
        return Refuse(image, "BMP file is truncated");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* e = raw + i * entrySize;
        image.SetPaletteColor(static_cast<int>(i), RGBQUAD{e[0], e[1], e[2], 0});
    }
    return true;
}

// To the bits, where the file header says they are; a bare DIB's optional
// palette of a true-colour picture is skipped.
bool SeekToBits(CByteStream& stream, const SBmpLayout& b, CRaster& image)
{
    if (b.bitsOffset != 0) {
        const std::int64_t size = stream.Size();
        if ((size >= 0 && b.start + b.bitsOffset > size) || !stream.Seek(b.start + b.bitsOffset, SEEK_SET)) {
            return Refuse(image, "BMP file is truncated");
        }
    } else if (!b.Palettized() && b.colorsUsed != 0 && !b.os2) {
        if (!SkipBytes(stream, static_cast<std::int64_t>(b.colorsUsed) * 4)) {
            return Refuse(image, "BMP file is truncated");
        }
    }
    return true;
}

// Reads every row through `readRow(y)`, with progress and cancelling.
template <typename ReadRow>
bool ReadRows(CRaster& image, ReadRow&& readRow)
{
    const int h = image.GetHeight();
    for (int y = 0; y < h; ++y) {
        if (image.GetEscape()) {
            return Refuse(image, "Cancelled");
        }
        image.SetProgress(static_cast<int>(static_cast<std::int64_t>(y) * 100 / h));
        if (!readRow(y)) {
            return Refuse(image, "BMP file is truncated");
        }
    }
    return true;
}

// Rows stored as the picture holds them (1/4/8/24 bits).
bool ReadStoredRows(CByteStream& stream, CRaster& image)
{
    const std::size_t rowBytes = static_cast<std::size_t>(image.GetEffWidth());
    return ReadRows(image, [&](int y) { return stream.Read(image.GetBits(y), 1, rowBytes) == rowBytes; });
}

// 16- and 32-bit rows, each pixel's channels taken out through the masks.
bool ReadMaskedRows(CByteStream& stream, const SBmpLayout& b, CRaster& image)
{
    const SChannelMask red(b.masks[0]);
    const SChannelMask green(b.masks[1]);
    const SChannelMask blue(b.masks[2]);
    const std::size_t rowBytes = static_cast<std::size_t>(CRaster::EffWidthFor(b.width, b.bitCount));
    const int w = image.GetWidth();
    std::vector<std::uint8_t> row(rowBytes);
    return ReadRows(image, [&](int y) {
        if (stream.Read(row.data(), 1, rowBytes) != rowBytes) {
            return false;
        }
        std::uint8_t* d = image.GetBits(y);
        for (int x = 0; x < w; ++x, d += 3) {
            const std::uint32_t v = b.bitCount == 16 ? ReadLE16(row.data() + x * 2) : ReadLE32(row.data() + x * 4);
            d[0] = blue.Extract(v);
            d[1] = green.Extract(v);
            d[2] = red.Extract(v);
        }
        return true;
    });
}

bool ReadPixels(CByteStream& stream, const SBmpLayout& b, CRaster& image)
{
    if (b.Rle()) {
        return DecodeRle(stream, image, b.compression == kBiRle4);
    }
    if (b.bitCount <= 8 || b.bitCount == 24) {
        return ReadStoredRows(stream, image);
    }
    return ReadMaskedRows(stream, b, image);
}

} // namespace

bool DecodeBmp(CByteStream& stream, CRaster& image)
{
    SBmpLayout b;
    if (!ReadFileHeader(stream, b, image) || !ReadInfoHeader(stream, b, image) || !CheckFormat(b, image) ||
        !ReadMasks(stream, b, image) || !CheckDataSize(stream, b, image) || !CreatePicture(b, image) ||
        !ReadPalette(stream, b, image) || !SeekToBits(stream, b, image) || !ReadPixels(stream, b, image)) {
        return false;
    }
    if (b.topDown) {
        image.Flip();
    }
    image.SetProgress(100);
    return true;
}

bool EncodeBmp(CByteStream& stream, CRaster& image)
{
    if (!image.IsValid()) {
        image.SetLastError("Can't write BMP file: empty image");
        return false;
    }
    const std::size_t dibSize = image.GetDIBSize();
    if (dibSize > std::numeric_limits<std::uint32_t>::max() - 14) {
        image.SetLastError("Image too large for a BMP file");
        return false;
    }
    std::uint8_t header[14] = {};
    WriteLE16(header, kBmSignature);
    WriteLE32(header + 2, static_cast<std::uint32_t>(14 + dibSize));
    WriteLE32(header + 10, static_cast<std::uint32_t>(14 + 40 + image.GetPaletteSize()));
    if (stream.Write(header, 1, 14) != 14 || stream.Write(image.GetDIB(), 1, dibSize) != dibSize) {
        image.SetLastError("Can't write BMP file");
        return false;
    }
    return true;
}
