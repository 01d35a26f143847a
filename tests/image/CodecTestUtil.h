#pragma once
// Helpers for the picture tests: temporary folders, encoding, decoding,
// refusals and picture comparison. Every test of this folder includes it
// first: through TempFolder.h it brings the test framework and the standard
// headers.

#include "image/ByteStream.h"
#include "image/Raster.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace testutil {

// The pixel rows of a picture (all bytes, padding included).
inline std::vector<std::uint8_t> Rows(const CRaster& image)
{
    if (!image.IsValid()) return {};
    return std::vector<std::uint8_t>(image.GetBits(0), image.GetBits(0) + image.GetEffWidth() * image.GetHeight());
}

inline std::vector<std::uint8_t> EncodeOk(CRaster& image, int type)
{
    CMemoryStream out;
    EXPECT_TRUE(image.Encode(out, type)) << image.GetLastError();
    return std::vector<std::uint8_t>(out.GetBuffer(), out.GetBuffer() + out.Size());
}

inline CRaster DecodeOk(const std::vector<std::uint8_t>& data, int type)
{
    CRaster image;
    EXPECT_TRUE(image.Decode(data.data(), data.size(), type)) << image.GetLastError();
    return image;
}

// Decoding `data` fails with `message` (exactly, or contained in the error when
// `exact` is false; any text when null) and leaves the picture it decoded into alone.
inline void ExpectRefused(const std::vector<std::uint8_t>& data, int type, const std::string& what,
                          const char* message = nullptr, bool exact = true)
{
    CRaster target = CRaster::Make(3, 2, 24).value();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) target.SetPixelColor(x, y, static_cast<COLORREF>(0x10305 * (x + 3 * y + 1)));
    const std::vector<std::uint8_t> before = Rows(target);
    EXPECT_FALSE(target.Decode(data.data(), data.size(), type)) << what;
    const std::string error = target.GetLastError();
    if (!message)
        EXPECT_NE(error, "") << what;
    else if (exact)
        EXPECT_EQ(error, message) << what;
    else
        EXPECT_NE(error.find(message), std::string::npos) << what << ": " << error;
    EXPECT_EQ(target.GetWidth(), 3) << what;
    EXPECT_EQ(Rows(target), before) << what;
}

// True when both pictures show the same colour at every pixel.
inline bool SameColours(const CRaster& a, const CRaster& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (!(a.GetPixelColor(x, y) == b.GetPixelColor(x, y))) return false;
    return true;
}

// A picture whose pixels and palette come from a seeded generator.
inline CRaster RandomPicture(int w, int h, int bpp, unsigned seed)
{
    std::mt19937 rng(seed);
    CRaster image = CRaster::Make(w, h, bpp).value();
    for (int i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(i, static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (bpp == 24) image.SetPixelColor(x, y, static_cast<COLORREF>(rng() & 0xFFFFFF));
            else image.SetPixelIndex(x, y, static_cast<std::uint8_t>(rng() % image.GetNumColors()));
        }
    return image;
}

// CTempFolder with its path as a std::filesystem::path (ending with a slash) and files named in it.
class TempDir : public CTempFolder {
public:
    std::string File(const std::string& name) const { return CTempFolder::Path() + name; }
    std::filesystem::path Path() const { return CTempFolder::Path(); }
};

} // namespace testutil
