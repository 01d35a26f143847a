#include "EngineTestUtil.h"

#include "engine3d/sampling/PixelRuns.h"

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
