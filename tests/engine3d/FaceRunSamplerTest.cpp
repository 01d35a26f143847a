// The run sampler of plain faces against its one-sample-at-a-time reference:
// the same texel for every sample (the rasteriser's runs and one-colour tiles
// are held by the stored projects, which every plain face draws through),
// and rows of averages stored as pixel by pixel.
#include "EngineTestUtil.h"

#include "engine3d/sampling/CountedEights.h"
#include "engine3d/sampling/FaceRunSampler.h"
#include "engine3d/sampling/ProjectedSums.h"
#include "engine3d/sampling/SampleAverages.h"
#include "engine3d/sampling/WeighedEights.h"

#include <cstring>

using namespace enginetest;

namespace {

// The sample offsets of the 5 x 5 or 10 x 10 grid, in pixels and folded into
// the numerators, as the rasteriser makes them.
struct CGrid {
    double dx[100], dy[100], offA[100], offB[100], offC[100];
    CGrid(const CQuadMapping& map, int n)
    {
        const int side = n == 100 ? 10 : 5;
        const double first = n == 100 ? -0.45 : -0.4, step = n == 100 ? 0.1 : 0.2;
        for (int j = 0, k = 0; j < side; ++j)
            for (int i = 0; i < side; ++i, ++k) {
                dx[k] = first + step * i;
                dy[k] = first + step * j;
                offA[k] = map.ax * dx[k] + map.ay * dy[k];
                offB[k] = map.bx * dx[k] + map.by * dy[k];
                offC[k] = map.cx * dx[k] + map.cy * dy[k];
            }
    }
};

// Samples rows bottom .. top, pixels left .. right, of a face both ways (with
// linear steps where the processor has them) and compares every pixel;
// returns how many pixels were compared and adds the partly covered ones.
struct CRunComparison {
    long long pixels = 0, partial = 0, inner = 0, exactPixels = 0, sampled = 0;
    bool linear = false;
};

void CompareRuns(const CQuadMapping& map, const CRaster& tex, int n, int left, int right, int bottom, int top,
                 const std::string& what, CRunComparison& result)
{
    CTexture view{tex.GetBits(0), tex.GetWidth(), tex.GetHeight(), tex.GetEffWidth()};
    const CGrid grid(map, n);
    CFaceRunSampler sampler;
    ASSERT_TRUE(sampler.Setup(grid.offA, grid.offB, grid.offC, n, view, map.ax, map.bx, map.cx)) << what;
    result.linear |= sampler.SetLinearSteps(grid.dx, grid.dy, map.ay, map.a0, map.by, map.b0, map.cy, map.c0,
                                            left, right, bottom, top);
    const int width = right - left + 1;
    std::vector<CPixelSamples> fast(static_cast<std::size_t>(width)), plain(static_cast<std::size_t>(width));
    for (int y = bottom; y <= top; ++y) {
        const double rowA = map.ay * y + map.a0, rowB = map.by * y + map.b0, rowC = map.cy * y + map.c0;
        sampler.SampleRun(left, right, rowA, rowB, rowC, fast.data());
        sampler.SampleRunReference(left, right, rowA, rowB, rowC, plain.data());
        for (int i = 0; i < width; ++i) {
            ASSERT_EQ(fast[i].count, plain[i].count) << what << " pixel " << left + i << "," << y;
            ASSERT_EQ(0, std::memcmp(fast[i].sum, plain[i].sum, sizeof fast[i].sum))
                << what << " pixel " << left + i << "," << y;
            ++result.pixels;
            if (plain[i].count > 0 && plain[i].count < n) ++result.partial;
            if (plain[i].count == n) ++result.inner;
        }
    }
    result.exactPixels += sampler.GetExactPixels();
    result.sampled += sampler.GetPixels();
}

} // namespace

TEST(FaceRunSampler, RunsMatchTheOneSampleReferenceExactly)
{
    const unsigned seed = 20261207;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-1.3, 1.3), pos(-40, 40), size(20, 120);
    std::uniform_int_distribution<int> texSide(1, 300), bigSide(200, 1200);
    // Small pictures: faces steep enough for the perspective to change
    // within a pixel (few linear steps), whole runs across their outlines.
    CRunComparison small;
    for (int trial = 0; trial < 60; ++trial) {
        const int side = 120;
        CTurnedFace face(size(rng), size(rng), angle(rng), angle(rng), pos(rng), pos(rng), 150 + pos(rng), side);
        CQuadMapping map;
        ASSERT_TRUE(map.Create(face.Face(), face.fit));
        // Odd sizes (rows padded to four bytes), single rows and columns;
        // pictures smaller than the face and larger.
        const int w = trial % 5 == 0 ? 1 + trial * 13 : texSide(rng);
        auto tex = RandomPicture(w, trial % 7 == 0 ? 1 : texSide(rng), rng);
        const int n = trial % 3 == 0 ? 100 : 25;
        CompareRuns(map, *tex, n, -10, side + 9, -10, side + 9,
                    "seed " + std::to_string(seed) + " small trial " + std::to_string(trial), small);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(small.partial, 1000) << "of " << small.pixels;
    // Print-size pictures: a band of rows through the middle, face pictures
    // from a few texels a pixel to a few pixels a texel.
    CRunComparison large;
    for (int trial = 0; trial < 24; ++trial) {
        const int side = 1600;
        CTurnedFace face(size(rng), size(rng), angle(rng), angle(rng), pos(rng), pos(rng), 150 + pos(rng), side);
        CQuadMapping map;
        ASSERT_TRUE(map.Create(face.Face(), face.fit));
        auto tex = RandomPicture(bigSide(rng), bigSide(rng), rng);
        const int n = trial % 4 == 0 ? 100 : 25;
        // One trial in three with gathers only, where the processor has byte
        // permutes, and one with permutes but the four-lane centres and counts.
        projected_sums::SetEnabled(trial % 3 != 1);
        weighed_eights::SetEnabled(trial % 3 != 1);
        counted_eights::SetEnabled(trial % 3 == 0);
        CompareRuns(map, *tex, n, 0, side - 1, side / 2 - 8, side / 2 + 8,
                    "seed " + std::to_string(seed) + " large trial " + std::to_string(trial), large);
        projected_sums::SetEnabled(true);
        weighed_eights::SetEnabled(true);
        counted_eights::SetEnabled(true);
        if (HasFatalFailure()) return;
    }
    if (CFaceRunSampler::HasLinearSteps()) {
        EXPECT_TRUE(large.linear);
        // At least three in four pixels wholly on a face took linear steps.
        EXPECT_LT(large.exactPixels, large.sampled - large.inner * 3 / 4) << large.inner << " inner pixels";
    }
}

TEST(FaceRunSampler, SamplesOnTexelEdgesReadTheExactTexel)
{
    // Upright faces whose samples fall exactly on texel edges: the face from
    // x0 to x0 + 10 over a picture 11 wide has its column edges at
    // Z = 10 u + 0.5 = k, that is at px = x0 + k - 0.5, where the samples at
    // offsets -0.4 .. 0.4 of the pixels nearby lie within 0.1 or exactly on
    // them; likewise the rows. Linear steps must leave such pixels to the
    // exact mapping.
    std::mt19937 rng(7);
    CRunComparison result;
    for (int k = 0; k < 60; ++k) {
        // Outlines on sample positions (0.1 and 0.05 steps) and beside them;
        // sizes that are not powers of two, so that positions round.
        const double x0 = 3.0 + 0.1 * k, y0 = 2.0 + 0.05 * k;
        const double w = k < 12 ? 10.0 * (1 + k % 4) : 7.3 + 2.9 * (k % 7), h = k < 12 ? 10.0 * (1 + k % 3) : 5.1 + 3.7 * (k % 5);
        CPolygon3D face = FlatFace(x0, y0, x0 + w, y0 + h, 'F');
        CQuadMapping map;
        ASSERT_TRUE(map.Create(face, UnitFit()));
        auto tex = RandomPicture(11 + 10 * (k % 3), 11 + 5 * (k % 4), rng);
        CompareRuns(map, *tex, k % 2 ? 100 : 25, 0, static_cast<int>(x0 + w) + 2, 0, static_cast<int>(y0 + h) + 2,
                    "edge case " + std::to_string(k), result);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(result.pixels, 2000);
    if (CFaceRunSampler::HasLinearSteps()) {
        EXPECT_TRUE(result.linear);
        // Samples on or beside the edges were mapped exactly, the others not.
        EXPECT_GT(result.exactPixels, 0);
        EXPECT_LT(result.exactPixels, result.sampled - result.inner);
    }
}

TEST(SampleAverages, RowsStoreWhatPixelByPixelStores)
{
    std::mt19937 rng(5);
    std::vector<CPixelSamples> run(600);
    for (std::size_t i = 0; i < run.size();) { // runs of equal pixels, counts 0 .. 100
        CPixelSamples s;
        s.count = static_cast<int>(rng() % 4 == 0 ? rng() % 101 : rng() % 2 == 0 ? 25 : 100);
        for (std::uint32_t& v : s.sum) v = rng() % (static_cast<std::uint32_t>(s.count) * 255 + 1);
        for (std::size_t k = rng() % 17; k-- > 0 && i < run.size();) run[i++] = s;
    }
    for (std::uint32_t count : {25u, 100u}) // then every sum of the usual counts, three a pixel
        for (std::uint32_t v = 0; v <= 255 * count; v += 3) {
            CPixelSamples s{{v, std::min(v + 1, 255 * count), std::min(v + 2, 255 * count)},
                            static_cast<int>(count)};
            run.push_back(s);
        }
    for (int minCount : {1, 25, 100}) {
        std::vector<std::uint8_t> rows(3 * run.size(), 7), pixels(rows);
        StoreAverages(run.data(), static_cast<int>(run.size()), minCount, rows.data());
        StoreAveragesReference(run.data(), static_cast<int>(run.size()), minCount, pixels.data());
        EXPECT_EQ(rows, pixels) << "minCount " << minCount;
    }
}
