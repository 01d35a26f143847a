#pragma once
// Private to the image library: the picture codecs (TIFF is read only). Each decoder fills a
// freshly constructed CRaster (the caller moves it into the target only on
// success) and reports failures through that raster's last-error text. Each
// encoder writes the picture to the stream as it is.

#include <cstdint>

class CByteStream;
class CRaster;

bool DecodeBmp(CByteStream& stream, CRaster& image);
bool EncodeBmp(CByteStream& stream, CRaster& image);
bool DecodePcx(CByteStream& stream, CRaster& image);
bool EncodePcx(CByteStream& stream, CRaster& image);
bool DecodePng(CByteStream& stream, CRaster& image);
bool EncodePng(CByteStream& stream, CRaster& image);
// A 24-bit picture without alpha as an RGB PNG with the filtered rows libpng
// writes for it; up to `wholeBytes` of them are compressed at once, more are
// streamed through zlib as libpng does (the file is then libpng's). `error`
// names what failed.
constexpr std::uint64_t kPngWholeBytes = 4u << 20;
bool EncodeRgbPng(CByteStream& stream, const CRaster& image, const char*& error,
                  std::uint64_t wholeBytes = kPngWholeBytes);
bool DecodeJpeg(CByteStream& stream, CRaster& image);
bool EncodeJpeg(CByteStream& stream, CRaster& image);
bool DecodeTiff(CByteStream& stream, CRaster& image);

// Little-endian field access for the file headers.
inline std::uint16_t ReadLE16(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadLE32(const std::uint8_t* p) noexcept
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void WriteLE16(std::uint8_t* p, std::uint32_t v) noexcept
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteLE32(std::uint8_t* p, std::uint32_t v) noexcept
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Colour of printing inks: each of cyan, magenta, yellow and black is an
// amount from 0 (no ink) to 255 (full ink). Red is what cyan and black leave of
// white, (255 - C) * (255 - K) / 255 rounded; green likewise with magenta,
// blue with yellow.
struct SRgb {
    std::uint8_t r, g, b;
};
inline SRgb CmykToRgb(unsigned c, unsigned m, unsigned y, unsigned k) noexcept
{
    auto leave = [k](unsigned ink) {
        return static_cast<std::uint8_t>(((255 - ink) * (255 - k) + 127) / 255);
    };
    return SRgb{leave(c), leave(m), leave(y)};
}
