#pragma once
// A corpus of hostile picture files, built from the formats' structures: tiny
// files that claim huge pictures, ancillary chunks that claim gigabytes, JPEGs
// whose data ends early, runaway run-length runs, and counts and offsets that
// lie. Each entry names the words its refusal must contain. Used by the codec
// tests and by the hostile-file benchmark, which times every entry.

#include "image/picture/PictureFormats.h"
#include "image/Raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

struct SHostileFile {
    std::string kind;     // class of attack, for the benchmark's table
    std::string name;     // this file
    std::vector<std::uint8_t> bytes;
    std::string refusal;  // text the last error must contain
    int type = IMAGE_TYPE_UNKNOWN; // the format the file claims to be
};

class CByteBuilder {
public:
    CByteBuilder& u8(unsigned v) { m_b.push_back(static_cast<std::uint8_t>(v)); return *this; }
    CByteBuilder& le16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    CByteBuilder& le32(std::uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
    CByteBuilder& be16(unsigned v) { return u8((v >> 8) & 0xFF).u8(v & 0xFF); }
    CByteBuilder& be32(std::uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }
    CByteBuilder& fill(std::size_t n, unsigned v) { m_b.insert(m_b.end(), n, static_cast<std::uint8_t>(v)); return *this; }
    CByteBuilder& text(const std::string& s) { m_b.insert(m_b.end(), s.begin(), s.end()); return *this; }
    CByteBuilder& bytes(const std::vector<std::uint8_t>& v) { m_b.insert(m_b.end(), v.begin(), v.end()); return *this; }
    const std::vector<std::uint8_t>& get() const { return m_b; }

private:
    std::vector<std::uint8_t> m_b;
};

// ---- BMP: 14-byte file header, 40-byte info header ----------------------------------

inline std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                                     std::uint32_t colorsUsed, std::uint32_t bitsOffset,
                                     const std::vector<std::uint8_t>& after)
{
    CByteBuilder b;
    b.le16(0x4D42).le32(0).le16(0).le16(0).le32(bitsOffset);            // file header
    b.le32(40).le32(static_cast<std::uint32_t>(width)).le32(static_cast<std::uint32_t>(height));
    b.le16(1).le16(bits).le32(compression).le32(0).le32(2835).le32(2835); // planes .. resolution
    b.le32(colorsUsed).le32(0);
    return b.bytes(after).get();
}

// ---- PCX: 128-byte header -----------------------------------------------------------

inline std::vector<std::uint8_t> Pcx(unsigned xMax, unsigned yMax, unsigned bits, unsigned planes,
                                     unsigned bytesPerLine, const std::vector<std::uint8_t>& data)
{
    CByteBuilder b;
    b.u8(10).u8(5).u8(1).u8(bits);               // manufacturer, version, encoding, bits per pixel
    b.le16(0).le16(0).le16(xMax).le16(yMax);     // window
    b.le16(72).le16(72).fill(48, 0).u8(0);        // resolution, 16-colour map, reserved
    b.u8(planes).le16(bytesPerLine).le16(1);      // planes, bytes per line, palette info
    b.fill(128 - 70, 0);
    return b.bytes(data).get();
}

// ---- PNG: signature and CRC-checked chunks -------------------------------------------

// CRC-32 of the PNG chunk type and data (polynomial 0xEDB88320, bit by bit).
inline std::uint32_t PngCrc(const std::vector<std::uint8_t>& bytes, std::size_t from)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

class CPngBuilder {
public:
    CPngBuilder() { m_b.u8(0x89).text("PNG").u8(13).u8(10).u8(26).u8(10); }
    CPngBuilder& chunk(const std::string& type, const std::vector<std::uint8_t>& data)
    {
        return chunkClaiming(type, static_cast<std::uint32_t>(data.size()), data, true);
    }
    // A chunk whose length field says `length` whatever data follows; the CRC
    // is written only when asked (a lying chunk usually ends the file).
    CPngBuilder& chunkClaiming(const std::string& type, std::uint32_t length, const std::vector<std::uint8_t>& data,
                               bool crc)
    {
        m_b.be32(length);
        CByteBuilder body;
        body.text(type).bytes(data);
        m_b.bytes(body.get());
        if (crc)
            m_b.be32(PngCrc(body.get(), 0));
        return *this;
    }
    CPngBuilder& ihdr(std::uint32_t w, std::uint32_t h, unsigned depth, unsigned colourType)
    {
        CByteBuilder d;
        d.be32(w).be32(h).u8(depth).u8(colourType).u8(0).u8(0).u8(0);
        return chunk("IHDR", d.get());
    }
    const std::vector<std::uint8_t>& get() const { return m_b.get(); }

private:
    CByteBuilder m_b;
};

// The start of a zlib stream (no compression preset, default level) and a few
// bytes of a deflate block: far too little for any large picture.
inline std::vector<std::uint8_t> FewIdatBytes()
{
    return {0x78, 0x9C, 0x62, 0x60, 0x18, 0x05, 0xA3, 0x60};
}

// ---- JPEG: markers and segments -------------------------------------------------------

class CJpegBuilder {
public:
    CJpegBuilder() { m_b.be16(0xFFD8); }
    CJpegBuilder& segment(unsigned marker, const std::vector<std::uint8_t>& data)
    {
        m_b.be16(marker).be16(static_cast<unsigned>(data.size() + 2)).bytes(data);
        return *this;
    }
    // Quantisation table 0: all steps 1.
    CJpegBuilder& dqt()
    {
        CByteBuilder d;
        d.u8(0).fill(64, 1);
        return segment(0xFFDB, d.get());
    }
    // Frame header: `marker` 0xFFC0 baseline, 0xFFC2 progressive, 0xFFCA
    // progressive arithmetic; every component sampled 1 x 1 with table 0.
    CJpegBuilder& sof(unsigned marker, unsigned width, unsigned height, unsigned components)
    {
        CByteBuilder d;
        d.u8(8).be16(height).be16(width).u8(components);
        for (unsigned i = 1; i <= components; ++i)
            d.u8(i).u8(0x11).u8(0);
        return segment(marker, d.get());
    }
    // Huffman tables 0: DC with the one symbol 0 (difference 0) and AC with the
    // one symbol 0 (end of block), each a 1-bit code "0".
    CJpegBuilder& dht()
    {
        CByteBuilder d;
        d.u8(0x00).u8(1).fill(15, 0).u8(0x00);
        d.u8(0x10).u8(1).fill(15, 0).u8(0x00);
        return segment(0xFFC4, d.get());
    }
    // Scan header over all `components` with tables 0, spectral range ss..se.
    CJpegBuilder& sos(unsigned components, unsigned ss, unsigned se)
    {
        CByteBuilder d;
        d.u8(components);
        for (unsigned i = 1; i <= components; ++i)
            d.u8(i).u8(0x00);
        d.u8(ss).u8(se).u8(0);
        return segment(0xFFDA, d.get());
    }
    CJpegBuilder& data(std::size_t n, unsigned v) { m_b.fill(n, v); return *this; }
    CJpegBuilder& eoi() { m_b.be16(0xFFD9); return *this; }
    const std::vector<std::uint8_t>& get() const { return m_b.get(); }

private:
    CByteBuilder m_b;
};

// ---- TIFF: little-endian header, one directory of 12-byte entries --------------------

// A one-strip picture of `bits`-bit RGB whose strip holds `data`; the strip
// may claim more bytes than follow and start anywhere (`stripOffset` 0: right
// after the directory).
inline std::vector<std::uint8_t> Tiff(std::uint32_t width, std::uint32_t height, unsigned compression,
                                      const std::vector<std::uint8_t>& data, std::uint32_t stripBytes = 0,
                                      std::uint32_t stripOffset = 0)
{
    const unsigned entries = 9;
    const std::uint32_t bitsAt = 8 + 2 + entries * 12 + 4; // three SHORTs of bits per sample
    const std::uint32_t dataAt = stripOffset != 0 ? stripOffset : bitsAt + 6;
    CByteBuilder b;
    b.text("II").le16(42).le32(8).le16(entries);
    auto entry = [&](unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value) {
        b.le16(tag).le16(type).le32(count).le32(value);
    };
    entry(256, 4, 1, width);                                  // ImageWidth
    entry(257, 4, 1, height);                                 // ImageLength
    entry(258, 3, 3, bitsAt);                                 // BitsPerSample, at bitsAt
    entry(259, 3, 1, compression);                            // Compression
    entry(262, 3, 1, 2);                                      // Photometric: RGB
    entry(273, 4, 1, dataAt);                                 // StripOffsets
    entry(277, 3, 1, 3);                                      // SamplesPerPixel
    entry(278, 4, 1, height);                                 // RowsPerStrip: one strip
    entry(279, 4, 1, stripBytes != 0 ? stripBytes : static_cast<std::uint32_t>(data.size())); // StripByteCounts
    b.le32(0).le16(8).le16(8).le16(8);
    return b.bytes(data).get();
}

// ---- The corpus ------------------------------------------------------------------------

inline std::vector<SHostileFile> HostilePictures()
{
    std::vector<SHostileFile> out;
    const std::string tooLarge = "Picture is too large: ";

    // BMP
    out.push_back({"huge size", "bmp 20000 x 19000", Bmp(20000, 19000, 24, 0, 0, 54, {}),
                   tooLarge + "20000 x 19000 pixels"});
    out.push_back({"huge size", "bmp 16000 x 16000 without rows", Bmp(16000, 16000, 24, 0, 0, 54, {0, 0, 0, 0}),
                   "BMP file is truncated"});
    {
        CByteBuilder palette;
        palette.fill(256 * 4, 0);
        CByteBuilder runs = palette;
        runs.u8(0).u8(1); // end of bitmap at once
        out.push_back({"runaway RLE", "bmp RLE8 16000 x 16000 ending at once",
                       Bmp(16000, 16000, 8, 1, 0, 54 + 1024, runs.get()), "BMP file is truncated"});
        CByteBuilder runaway = palette;
        for (int i = 0; i < 64; ++i)
            runaway.u8(255).u8(7); // 255-pixel runs on a 100-pixel row
        // Runs past the row end are clipped there; the data then ends with
        // most rows unwritten.
        out.push_back({"runaway RLE", "bmp RLE8 runs past the row", Bmp(100, 100, 8, 1, 0, 54 + 1024, runaway.get()),
                       "BMP file is truncated"});
        CByteBuilder deltas = palette;
        for (int i = 0; i < 64; ++i)
            deltas.u8(0).u8(2).u8(255).u8(255); // delta moves far past the picture
        out.push_back({"runaway RLE", "bmp RLE8 delta past the picture", Bmp(300, 300, 8, 1, 0, 54 + 1024, deltas.get()),
                       "BMP RLE data runs past the image"});
    }
    out.push_back({"lying counts", "bmp bits offset past the end", Bmp(16, 16, 24, 0, 0, 0xFFFFFF00u, {}),
                   "BMP file is truncated"});
    out.push_back({"lying counts", "bmp 2^31 palette colours", Bmp(16, 16, 8, 0, 0x7FFFFFFFu, 54, std::vector<std::uint8_t>(2048, 0)),
                   "palette has more colours"});

    // PCX
    out.push_back({"huge size", "pcx 65536 x 65536", Pcx(65535, 65535, 8, 1, 65535, {0xC1, 0}),
                   tooLarge + "65536 x 65536 pixels"});
    out.push_back({"huge size", "pcx 16000 x 16000 with 4 bytes", Pcx(15999, 15999, 8, 3, 16000, {0xFF, 0, 0xFF, 0}),
                   "corrupted PCX"});
    out.push_back({"lying counts", "pcx 65535 bytes per line", Pcx(0, 59999, 8, 3, 65535, {0xFF, 0}),
                   "corrupted PCX"});
    out.push_back({"runaway RLE", "pcx run past the picture", Pcx(3, 1, 8, 1, 4, {0xFF, 7, 0xFF, 7}),
                   "repeat count spans end of image"});

    // PNG
    out.push_back({"huge size", "png 20000 x 19000", CPngBuilder().ihdr(20000, 19000, 8, 2).chunk("IDAT", FewIdatBytes()).get(),
                   tooLarge + "20000 x 19000 pixels"});
    out.push_back({"huge size", "png 1-bit 30000 x 30000", CPngBuilder().ihdr(30000, 30000, 1, 0).chunk("IDAT", FewIdatBytes()).get(),
                   tooLarge + "30000 x 30000 pixels"});
    out.push_back({"huge size", "png 2-bit 16000 x 16000 with 8 bytes of data",
                   CPngBuilder().ihdr(16000, 16000, 2, 0).chunk("IDAT", FewIdatBytes()).get(), "PNG file is truncated"});
    out.push_back({"huge size", "png RGB 10000 x 10000 with 8 bytes of data",
                   CPngBuilder().ihdr(10000, 10000, 8, 2).chunk("IDAT", FewIdatBytes()).get(), "PNG file is truncated"});
    out.push_back({"huge chunk", "png text chunk claiming 2 GB",
                   CPngBuilder().ihdr(16, 16, 8, 2).chunkClaiming("tEXt", 0x7FFFFFF0u, {'C', 'o', 'm', 0, 'x'}, false).get(),
                   "Read Error"});
    out.push_back({"huge chunk", "png compressed text claiming 2 GB",
                   CPngBuilder().ihdr(16, 16, 8, 2).chunkClaiming("zTXt", 0x7FFFFFF0u, {'C', 0, 0, 0x78, 0x9C}, false).get(),
                   "Read Error"});
    out.push_back({"huge chunk", "png colour profile claiming 2 GB",
                   CPngBuilder().ihdr(16, 16, 8, 2).chunkClaiming("iCCP", 0x7FFFFFF0u, {'P', 0, 0, 0x78, 0x9C}, false).get(),
                   "Read Error"});
    out.push_back({"huge chunk", "png private chunk claiming 2 GB",
                   CPngBuilder().ihdr(16, 16, 8, 2).chunkClaiming("vtXx", 0x7FFFFFF0u, {1, 2, 3}, false).get(),
                   "Read Error"});
    {
        CPngBuilder many;
        many.ihdr(16, 16, 8, 2);
        for (int i = 0; i < 20000; ++i)
            many.chunk("tEXt", {'k', 0, 'v'});
        out.push_back({"huge chunk", "png 20000 text chunks and no data", many.get(), "Read Error"});
    }

    // JPEG
    out.push_back({"huge size", "jpeg 20000 x 19000",
                   CJpegBuilder().dqt().sof(0xFFC0, 20000, 19000, 3).dht().sos(3, 0, 63).data(16, 0).get(),
                   tooLarge + "20000 x 19000 pixels"});
    out.push_back({"huge size", "jpeg progressive 18000 x 18000",
                   CJpegBuilder().dqt().sof(0xFFC2, 18000, 18000, 3).dht().sos(3, 0, 0).data(16, 0).get(),
                   tooLarge + "18000 x 18000 pixels"});
    out.push_back({"truncated JPEG", "jpeg baseline 16000 x 16000 cut short",
                   CJpegBuilder().dqt().sof(0xFFC0, 16000, 16000, 1).dht().sos(1, 0, 63).data(64, 0).get(),
                   "JPEG file is truncated"});
    out.push_back({"truncated JPEG", "jpeg progressive 16000 x 16000 cut short",
                   CJpegBuilder().dqt().sof(0xFFC2, 16000, 16000, 3).dht().sos(3, 0, 0).data(64, 0).get(),
                   "JPEG file is truncated"});
    // 1024 x 1024: 16384 blocks need 2048 bytes at least; the padding after the
    // end marker passes that check, and the scan itself ends at the marker.
    out.push_back({"truncated JPEG", "jpeg baseline whose scan ends at the end marker",
                   CJpegBuilder().dqt().sof(0xFFC0, 1024, 1024, 1).dht().sos(1, 0, 63).data(8, 0).eoi().data(4096, 0).get(),
                   "JPEG file is damaged"});
    out.push_back({"truncated JPEG", "jpeg progressive whose scan ends at the end marker",
                   CJpegBuilder().dqt().sof(0xFFC2, 1024, 1024, 3).dht().sos(3, 0, 0).data(8, 0).eoi().data(8192, 0).get(),
                   "JPEG file is damaged"});
    out.push_back({"truncated JPEG", "jpeg baseline without its end marker",
                   CJpegBuilder().dqt().sof(0xFFC0, 64, 64, 1).dht().sos(1, 0, 63).data(64 * 2 / 8 + 16, 0).get(),
                   "JPEG file is truncated"});
    // Arithmetic coding has no floor of bits per block; the coefficient memory
    // of a progressive 16000 x 16000 three-component picture (1.5 GB) is over
    // the decoder's memory limit.
    out.push_back({"huge size", "jpeg arithmetic progressive 16000 x 16000",
                   CJpegBuilder().dqt().sof(0xFFCA, 16000, 16000, 3).sos(3, 0, 0).eoi().get(),
                   tooLarge + "16000 x 16000 pixels"});

    // TIFF
    out.push_back({"huge size", "tiff 20000 x 19000", Tiff(20000, 19000, 1, {0, 0, 0, 0}),
                   tooLarge + "20000 x 19000 pixels"});
    out.push_back({"huge size", "tiff LZW 16000 x 16000 with 8 bytes of data",
                   Tiff(16000, 16000, 5, {0x80, 0, 0, 0, 0, 0, 0, 0}), "TIFF file is truncated"});
    out.push_back({"huge size", "tiff Deflate 10000 x 10000 with 8 bytes of data",
                   Tiff(10000, 10000, 8, {0x78, 0x9C, 0, 0, 0, 0, 0, 0}), "TIFF file is truncated"});
    out.push_back({"lying counts", "tiff strip of 300 MB in a tiny file",
                   Tiff(10000, 10000, 1, {1, 2, 3, 4}, 300000000u), "TIFF file is truncated"});
    out.push_back({"lying counts", "tiff strip offset past the end",
                   Tiff(100, 100, 1, {1, 2, 3, 4}, 30000, 0xFFFFFF00u), "TIFF file is truncated"});

    for (SHostileFile& f : out) {
        const std::string format = f.name.substr(0, f.name.find(' '));
        f.type = format == "bmp" ? IMAGE_TYPE_BMP : format == "pcx" ? IMAGE_TYPE_PCX
               : format == "png" ? IMAGE_TYPE_PNG : format == "tiff" ? IMAGE_TYPE_TIFF : IMAGE_TYPE_JPEG;
    }
    return out;
}

} // namespace hostile
