#include "CodecTestUtil.h"

#include "image/picture/ExifOrientation.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

#include <utility>

using testutil::Bytes;

namespace {

// Body of an APP1 segment: "Exif\0\0", a TIFF header and one directory whose
// entries are given as (tag, type, count, value) in the chosen byte order.
struct SEntry {
    unsigned tag, type;
    std::uint32_t count, value;
};

Bytes ExifBody(bool bigEndian, std::initializer_list<SEntry> entries, std::uint32_t directoryOffset = 8)
{
    Bytes b;
    auto u16 = [&](unsigned v) {
        if (bigEndian) b.u8(v >> 8).u8(v & 0xFF);
        else b.u16(v);
    };
    auto u32 = [&](std::uint32_t v) {
        if (bigEndian) { u16(v >> 16); u16(v & 0xFFFF); }
        else b.u32(v);
    };
    b.raw({'E', 'x', 'i', 'f', 0, 0});
    b.raw(bigEndian ? std::initializer_list<unsigned>{'M', 'M'} : std::initializer_list<unsigned>{'I', 'I'});
    u16(42);
    u32(directoryOffset);
    b.fill(directoryOffset - 8, 0);
    u16(static_cast<unsigned>(entries.size()));
    for (const SEntry& e : entries) {
        u16(e.tag);
        u16(e.type);
        u32(e.count);
        if (e.type == 3 && e.count == 1) { u16(e.value); u16(0); } // a SHORT sits at the field's start
        else u32(e.value);
    }
    u32(0); // no next directory
    return b;
}

// Stored pixel (column, row counted from the top) of a picture whose rows are kept bottom-up.
RGBQUAD StoredTopDown(const CRaster& image, int column, int rowFromTop)
{
    return image.GetPixelColor(column, image.GetHeight() - 1 - rowFromTop);
}

} // namespace

TEST(ExifOrientation, ReadFromEitherByteOrderAmongOtherTags)
{
    for (bool big : {false, true}) {
        for (unsigned o = 1; o <= 8; ++o) {
            const Bytes body = ExifBody(big, {{0x010F, 2, 4, 0x41424300}, // Make, an ASCII value
                                              {0x0112, 3, 1, o},
                                              {0x011A, 5, 1, 200}},      // XResolution, an offset
                                        12);
            EXPECT_EQ(ReadExifOrientation(body.data(), body.size()), static_cast<int>(o)) << big << " " << o;
        }
    }
}

TEST(ExifOrientation, DamagedOrMissingDataReadsAsUpright)
{
    const Bytes good = ExifBody(false, {{0x0112, 3, 1, 6}});
    ASSERT_EQ(ReadExifOrientation(good.data(), good.size()), 6);

    Bytes notExif = good;
    notExif[0] = 'e';
    Bytes badOrder = good;
    badOrder[6] = 'I';
    badOrder[7] = 'M';
    Bytes not42 = good;
    not42[8] = 43;
    Bytes farDirectory = good;
    farDirectory[10] = 0xF0; // first directory at 0xF0 + 8: past the end
    Bytes manyEntries = ExifBody(false, {{0x010F, 2, 4, 0}});
    manyEntries[14] = 0xFF; // 255 entries claimed, one present (not the orientation)
    Bytes cut = good;
    cut.resize(6 + 8 + 2 + 10); // the entry stops after 10 of its 12 bytes
    const Bytes zero = ExifBody(false, {{0x0112, 3, 1, 0}});
    const Bytes nine = ExifBody(true, {{0x0112, 3, 1, 9}});
    const Bytes asLong = ExifBody(false, {{0x0112, 4, 1, 6}});
    const Bytes twoValues = ExifBody(false, {{0x0112, 3, 2, 6}});
    const Bytes noTag = ExifBody(false, {{0x010F, 2, 4, 0}});
    struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"not EXIF", notExif}, {"unknown byte order", badOrder}, {"not 42", not42},
        {"directory past the end", farDirectory}, {"entry count past the end", manyEntries},
        {"entry cut short", cut}, {"value 0", zero}, {"value 9", nine}, {"LONG type", asLong},
        {"two values", twoValues}, {"no orientation", noTag}, {"empty", Bytes()},
        {"identifier only", Bytes().raw({'E', 'x', 'i', 'f', 0, 0})},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadExifOrientation(c.data.data(), c.data.size()), 1) << c.what;
    EXPECT_EQ(ReadExifOrientation(nullptr, 100), 1);
}

TEST(ExifOrientation, EachOrientationShowsThePictureAsMeant)
{
    // Where the pixel (c, r) of the picture as meant (r counted from the top)
    // comes from in the stored W x H picture, by the tag's definition of where
    // the stored first row and first column belong.
    auto source = [](int o, int c, int r, int W, int H) -> std::pair<int, int> {
        switch (o) {
        case 1: return {c, r};                 // first row top,    first column left
        case 2: return {W - 1 - c, r};         // first row top,    first column right
        case 3: return {W - 1 - c, H - 1 - r}; // first row bottom, first column right
        case 4: return {c, H - 1 - r};         // first row bottom, first column left
        case 5: return {r, c};                 // first row left,   first column top
        case 6: return {r, H - 1 - c};         // first row right,  first column top
        case 7: return {W - 1 - r, H - 1 - c}; // first row right,  first column bottom
        default: return {W - 1 - r, c};        // first row left,   first column bottom
        }
    };
    const int W = 4, H = 3;
    for (int bpp : {24, 8}) {
        const CRaster stored = testutil::RandomPicture(W, H, bpp, 1234);
        for (int o = 1; o <= 8; ++o) {
            CRaster shown = stored;
            ASSERT_TRUE(ApplyOrientation(shown, o)) << o;
            const bool transposed = o >= 5;
            ASSERT_EQ(std::pair(shown.GetWidth(), shown.GetHeight()), transposed ? std::pair(H, W) : std::pair(W, H)) << o;
            for (int r = 0; r < shown.GetHeight(); ++r) {
                for (int c = 0; c < shown.GetWidth(); ++c) {
                    const auto [sc, sr] = source(o, c, r, W, H);
                    EXPECT_EQ(StoredTopDown(shown, c, r), StoredTopDown(stored, sc, sr))
                        << "bpp " << bpp << " orientation " << o << " at " << c << "," << r;
                }
            }
        }
    }
    CRaster unchanged = testutil::RandomPicture(2, 2, 24, 7);
    const auto before = testutil::Rows(unchanged);
    for (int o : {0, 1, 9, -3}) {
        EXPECT_TRUE(ApplyOrientation(unchanged, o));
        EXPECT_EQ(testutil::Rows(unchanged), before) << o;
    }
}
