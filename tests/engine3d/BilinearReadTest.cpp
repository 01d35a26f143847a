// The integer bilinear read against the plain double formula, texel by
// texel, over positions inside, on and beyond the edges of a picture.
#include "EngineTestUtil.h"

#include "engine3d/sampling/BilinearRead.h"

#include <cstring>

namespace {

void ReferenceRead(const CTexture& t, double u, double v, std::uint32_t out[3])
{
    const double fx = u * t.width - 0.5, fy = v * t.height - 0.5;
    const double flx = std::floor(fx), fly = std::floor(fy);
    const int wx = static_cast<int>((fx - flx) * 256.0 + 0.5);
    const int wy = static_cast<int>((fy - fly) * 256.0 + 0.5);
    const int x0 = std::clamp(static_cast<int>(flx), 0, t.width - 1), x1 = std::clamp(static_cast<int>(flx) + 1, 0, t.width - 1);
    const int y0 = std::clamp(static_cast<int>(fly), 0, t.height - 1), y1 = std::clamp(static_cast<int>(fly) + 1, 0, t.height - 1);
    for (int k = 0; k < 3; ++k) {
        const int bottom = t.At(x0, y0)[k] * (256 - wx) + t.At(x1, y0)[k] * wx;
        const int top = t.At(x0, y1)[k] * (256 - wx) + t.At(x1, y1)[k] * wx;
        out[k] = static_cast<std::uint32_t>((bottom * (256 - wy) + top * wy + 32768) >> 16);
    }
}

}  // namespace

TEST(BilinearRead, SameTexelValuesAsTheDoubleFormula)
{
    std::mt19937 rng(7);
    for (const auto& [w, h] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{64, 3}}) {
        const int stride = (3 * w + 3) & ~3;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * h));
        for (auto& b : bits) b = static_cast<std::uint8_t>(rng() >> 24);
        const CTexture t{bits.data(), w, h, stride};
        std::uniform_real_distribution<double> pos(-0.3, 1.3);
        for (int i = 0; i < 20000; ++i) {
            // Every fourth position on a texel centre or a half-texel boundary.
            double u = pos(rng), v = pos(rng);
            if (i % 4 == 0) u = std::round(u * 2 * w) / (2 * w), v = std::round(v * 2 * h) / (2 * h);
            std::uint32_t got[3], want[3];
            Bilinear(t, u, v, got);
            ReferenceRead(t, u, v, want);
            ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2]) << w << "x" << h << " at " << u << ", " << v;
        }
    }
}

// Each level's texel is the rounded mean of the 2 x 2 texels of the level
// below, the last column and row of an odd size taken twice, down to 1 x 1.
TEST(TextureLevels, EachTexelTheMeanOfTheFourBelow)
{
    std::mt19937 rng(11);
    for (const auto& [w, h] : {std::pair{7, 5}, std::pair{64, 3}, std::pair{1, 6}}) {
        const int stride = (3 * w + 3) & ~3;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * h));
        for (auto& b : bits) b = static_cast<std::uint8_t>(rng() >> 24);
        CTextureLevels levels;
        ASSERT_TRUE(levels.Build(CTexture{bits.data(), w, h, stride}));
        ASSERT_EQ(levels.levels.back().width * levels.levels.back().height, 1);
        for (std::size_t L = 1; L < levels.levels.size(); ++L) {
            const CTexture &from = levels.levels[L - 1], &to = levels.levels[L];
            ASSERT_EQ(to.width, (from.width + 1) / 2);
            for (int y = 0; y < to.height; ++y)
                for (int x = 0; x < to.width; ++x)
                    for (int k = 0; k < 3; ++k) {
                        const int x1 = std::min(2 * x + 1, from.width - 1), y1 = std::min(2 * y + 1, from.height - 1);
                        const int sum = from.At(2 * x, 2 * y)[k] + from.At(x1, 2 * y)[k] + from.At(2 * x, y1)[k] +
                                        from.At(x1, y1)[k];
                        ASSERT_EQ(to.At(x, y)[k], (sum + 2) / 4) << w << " x " << h << " level " << L;
                    }
        }
    }
}

TEST(TextureLevels, KnowAPictureOfOneColour)
{
    // Rows padded with other bytes, which are not texels.
    std::vector<std::uint8_t> bits(16 * 5, 0x33);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x) std::memcpy(&bits[16 * y + 3 * x], "\x10\x20\x30", 3);
    CTextureLevels levels;
    ASSERT_TRUE(levels.Build(CTexture{bits.data(), 4, 5, 16}));
    EXPECT_TRUE(levels.oneColour);
    bits[16 * 4 + 3 * 3 + 2] = 0x31; // the last texel's red
    ASSERT_TRUE(levels.Build(CTexture{bits.data(), 4, 5, 16}));
    EXPECT_FALSE(levels.oneColour);
}
