// Small fast paths against their plain formulas: the integer bilinear read,
// texel by texel, over positions inside, on and beyond the edges of a
// picture, one at a time and sixteen at once; a pixel's samples read and summed
// sixteen at a time; the texture levels; four samples' column conditions at once (also
// where a condition holds nowhere or a bound is not a number); pixel runs
// filled and counted.
#include "EngineTestUtil.h"

#include "engine3d/sampling/BilinearRead.h"
#include "engine3d/sampling/PixelRuns.h"
#include "engine3d/sampling/WideBilinear.h"
#include "engine3d/surface/ColumnRange.h"

#include <cstring>
#include <limits>

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

// Sixteen positions along a run of pixels (sharing two to five texel rows,
// or not) or scattered, some beyond the picture or not a number, on pictures
// whose last texel ends the memory: each read is the formula's, or left to
// the caller.
TEST(BilinearRead, SixteenAtOnceAsTheDoubleFormula)
{
    if (!wide_bilinear::Available()) GTEST_SKIP() << "no AVX-512 byte permutes and dot products";
    const unsigned seed = 20261209;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> pos(-0.1, 1.1), across(-1.5, 1.5), down(-0.22, 0.22);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 3}, std::pair{300, 200}}) {
        const int stride = 3 * w + (w % 2) * 5;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * (h - 1) + 3 * w));
        for (auto& b : bits) b = rng() % 8 == 0 ? 255 : static_cast<std::uint8_t>(rng() >> 24);
        const CTexture t{bits.data(), w, h, stride};
        for (int round = 0; round < 3000; ++round) {
            double us[16], vs[16];
            const double u0 = pos(rng), v0 = pos(rng), du = across(rng) / w, dv = down(rng) / h;
            for (int i = 0; i < 16; ++i) {
                us[i] = round % 4 == 0 ? pos(rng) : u0 + du * i;
                vs[i] = round % 4 == 0 ? pos(rng) : v0 + dv * i;
            }
            if (round % 97 == 5) vs[round % 16] = std::numeric_limits<double>::quiet_NaN();
            const bool whiteAvoid = round % 2 == 1;
            std::uint32_t out[16];
            const std::uint32_t left = wide_bilinear::ReadSixteen(t, us, vs, whiteAvoid, out);
            for (int i = 0; i < 16; ++i) {
                // A position that is not a number has no formula to hold the read to
                // (the eight-wide read takes it as the picture's edge, as this one does).
                if (!std::isfinite(us[i]) || !std::isfinite(vs[i])) continue;
                const bool leftHere = left >> i & 1;
                std::uint32_t c[3] = {0, 0, 0};
                if (!leftHere) ReferenceRead(t, us[i], vs[i], c);
                if (whiteAvoid && c[0] == 255 && c[1] == 255 && c[2] == 255) c[0] = c[1] = c[2] = 254;
                const std::uint32_t want = leftHere ? 0xFFFFFFFFu : c[0] | c[1] << 8 | c[2] << 16;
                ASSERT_EQ(out[i], want) << "seed " << seed << " " << w << "x" << h << " round " << round << " at "
                                        << us[i] << ", " << vs[i];
            }
        }
    }
}

// A pixel's samples read and summed sixteen at a time: those in the unit
// square, each its read or in the fold bands the fold's. The samples lie on
// a turned grid up to about a texel and a half across (one sharing of rows
// for the whole pixel) or, one round in four, anywhere (each sixteen its own
// rows or gathered). Nothing may be summed only where a sample to sum reads
// the picture's last texel (a gathered read would pass the end).
TEST(BilinearRead, SamplesReadAndSummedSixteenAtATimeAsOneByOne)
{
    if (!wide_bilinear::Available()) GTEST_SKIP() << "no AVX-512 byte permutes and dot products";
    const unsigned seed = 20261209;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> pos(-0.2, 1.2), unit(0.0, 1.0);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 3}, std::pair{300, 200}}) {
        const int stride = 3 * w + (w % 2) * 5;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * (h - 1) + 3 * w));
        for (auto& b : bits) b = rng() % 8 == 0 ? 255 : static_cast<std::uint8_t>(rng() >> 24);
        const CTexture t{bits.data(), w, h, stride};
        for (int round = 0; round < 600; ++round) {
            const int side = round % 3 == 0 ? 3 : round % 3 == 1 ? 5 : 10, n = side * side;
            const bool folds = round % 2 == 0, whiteAvoid = round % 5 < 2, scattered = round % 4 == 3;
            const double foldU = 0.1, foldV = 0.25;
            const std::uint32_t foldWord = 0x123456;
            // Grid steps in texels: a footprint of 0.2 to 1.45 texels, turned.
            const double u0 = pos(rng), v0 = pos(rng), turn = 6.2832 * unit(rng);
            const double step = (0.2 + 1.25 * unit(rng)) / side;
            const double su = step * std::cos(turn) / w, sv = step * std::sin(turn) / h;
            double us[112], vs[112];
            for (int i = 0; i < 112; ++i) {
                const int gx = i < n ? i % side : 0, gy = i < n ? i / side : 0;
                us[i] = scattered && i < n ? pos(rng) : u0 + gx * su - gy * sv * h / w;
                vs[i] = scattered && i < n ? pos(rng) : v0 + gx * sv + gy * su * w / h;
            }
            std::uint32_t want[3] = {0, 0, 0}, got[3];
            int count = 0, gotCount = -1;
            bool lastTexel = false;
            for (int i = 0; i < n; ++i) {
                if (!(us[i] >= 0.0 && us[i] < 1.0 && vs[i] >= 0.0 && vs[i] < 1.0)) continue;
                ++count;
                std::uint32_t c[3] = {foldWord & 0xFF, foldWord >> 8 & 0xFF, foldWord >> 16};
                if (!folds || !(us[i] < foldU || us[i] > 1.0 - foldU || vs[i] < foldV || vs[i] > 1.0 - foldV)) {
                    ReferenceRead(t, us[i], vs[i], c);
                    if (whiteAvoid && c[0] == 255 && c[1] == 255 && c[2] == 255) c[0] = c[1] = c[2] = 254;
                    lastTexel |= us[i] * w - 0.5 >= w - 2 && (h == 1 || vs[i] * h - 0.5 >= h - 2);
                }
                for (int k = 0; k < 3; ++k) want[k] += c[k];
            }
            const bool summed = wide_bilinear::SumSamples(t, us, vs, n, whiteAvoid, folds, foldU, foldV, foldWord,
                                                          got, gotCount);
            ASSERT_TRUE(summed || lastTexel) << "seed " << seed << " " << w << "x" << h << " round " << round;
            if (summed) {
                ASSERT_TRUE(gotCount == count && got[0] == want[0] && got[1] == want[1] && got[2] == want[2])
                    << "seed " << seed << " " << w << "x" << h << " round " << round;
            }
        }
    }
}

// Each level's texel is the rounded mean of the 2 x 2 texels of the level
// below, the last column and row of an odd size taken twice, down to 1 x 1.
TEST(TextureLevels, EachTexelTheMeanOfTheFourBelow)
{
    std::mt19937 rng(11);
    for (const auto& [w, h] : {std::pair{7, 5}, std::pair{64, 3}, std::pair{37, 4}, std::pair{85, 2}, std::pair{1, 6}}) {
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

TEST(ColumnRange, FourAtOnceKeepTheColumnsOfOneByOne)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
    const double special[] = {0.0, -0.0, 1e-300, -3.0, nan, inf, -inf};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-50.0, 50.0);
    std::uniform_int_distribution<int> pick(0, 40);
    for (int round = 0; round < 2000; ++round) {
        double alpha[5], beta[5][4];
        for (int c = 0; c < 5; ++c) {
            const int a = pick(random);
            alpha[c] = a < 7 ? special[a] : value(random);
            for (double& b : beta[c]) b = pick(random) == 0 ? special[pick(random) % 7] : value(random);
        }
        CColumnRange one, four;
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 5; ++c) one.Keep(alpha[c], beta[c][k]);
        KeepFour(four, alpha, beta, 5);
        ASSERT_EQ(one.hi == -inf, four.hi == -inf) << round;
        if (one.hi == -inf) continue;
        EXPECT_EQ(one.lo, four.lo) << round;
        EXPECT_EQ(one.hi, four.hi) << round;
    }
}

TEST(PixelRuns, FillAndCountAgreeWithThePlainLoops)
{
    const unsigned seed = 31337;
    std::mt19937 rng(seed);
    for (int n = 0; n < 70; ++n) {
        // A row of pixels that are white, nearly white, or anything; counts
        // anywhere, some at the limit. Only the n pixels after the first may change,
        // and those are white afterwards.
        std::vector<std::uint8_t> row(3 * (n + 2));
        for (std::uint8_t& b : row) b = rng() % 3 == 0 ? 254 : 255;
        for (int i = 0; i < n / 4; ++i) row[rng() % row.size()] = static_cast<std::uint8_t>(rng());
        std::vector<std::uint16_t> counts(n + 2), expected(n + 2);
        for (std::size_t i = 0; i < counts.size(); ++i)
            counts[i] = expected[i] = static_cast<std::uint16_t>(rng() % 2 ? 0xFFFF - rng() % 2 : rng() % 9);
        for (int x = 1; x <= n; ++x) {
            const std::uint8_t* p = &row[3 * x];
            if ((p[0] & p[1] & p[2]) != 255 && expected[x] < 0xFFFF) ++expected[x];
        }
        std::vector<std::uint8_t> whitened(row);
        std::fill(whitened.begin() + 3, whitened.end() - 3, std::uint8_t{255});
        TakeDrawnPixels(&row[3], &counts[1], n);
        ASSERT_EQ(counts, expected) << "seed " << seed << " n " << n;
        ASSERT_EQ(row, whitened) << "seed " << seed << " n " << n;

        const std::uint8_t colour[2][3] = {{7, 7, 7}, {1, 2, 3}};
        for (const auto& c : colour) {
            std::vector<std::uint8_t> fill(row), want(row);
            for (int i = 3; i < 3 * (n + 1); ++i) want[i] = c[i % 3];
            FillPixelRun(&fill[3], n, c[0], c[1], c[2]);
            ASSERT_EQ(fill, want) << "n " << n;
        }
    }
}
