#include "engine3d/sampling/FlatTiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Two 8 x 8 tiles of the colour blue 10, green 20, red 30; one byte of the
// left tile's texels changed at a time, in every row (each of its 24 bytes
// a row), and one byte of one later row: the left tile is mixed, the right
// one keeps its colour.
TEST(FlatTiles, AnyByteChangedMakesItsTileMixed)
{
    constexpr int kWidth = 16, kHeight = 8, kStride = 3 * kWidth;
    std::vector<std::uint8_t> bits(kStride * kHeight);
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<std::uint8_t>(10 * (i % 3 + 1));
    const CTexture picture{bits.data(), kWidth, kHeight, kStride};
    constexpr std::uint32_t kColour = 10 | 20 << 8 | 30 << 16;
    CFlatTiles tiles;
    std::uint32_t colour = 0;
    ASSERT_TRUE(tiles.Build(picture));
    EXPECT_TRUE(tiles.IsOneColour(0, 15, 0, 7, colour));
    EXPECT_EQ(colour, kColour);
    const auto change = [&](int k, int rows, int by) {
        for (int y = 0; y < rows; ++y) bits[static_cast<std::size_t>(y * kStride + k)] += by;
    };
    for (int k = 0; k < 25; ++k) {
        const int at = k < 24 ? k : 5 * kStride + 13, rows = k < 24 ? kHeight : 1;
        change(at, rows, 1);
        ASSERT_TRUE(tiles.Build(picture)) << "byte " << k;
        EXPECT_FALSE(tiles.IsOneColour(0, 7, 0, 7, colour)) << "byte " << k;
        EXPECT_TRUE(tiles.IsOneColour(8, 15, 0, 7, colour)) << "byte " << k;
        EXPECT_EQ(colour, kColour);
        change(at, rows, -1);
    }
}
