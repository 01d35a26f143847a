// Lit and smooth faces: the pixels wholly inside a face are read from the
// derivatives at their centre instead of from every sample of the grid. Against
// the grid (the shortcut switched off) every pixel must keep its coverage
// exactly, so that the outline and the partial pixels do not change, and on a
// picture that is linear in u and v (where one read at the centre and the mean
// of the grid's reads agree) its colour within rounding.
#include "EngineTestUtil.h"

#include "engine3d/sampling/InteriorSampler.h"
#include "engine3d/surface/BlockMeans.h"

using namespace enginetest;

namespace {

// Red rises across the picture, green up it, blue is fixed: linear in u and v,
// by at most 2 a texel. (The grid and the shortcut may read levels one apart
// where a face is seen at a slant; near the picture's clamped edge such
// levels differ by up to a texel's step.)
std::unique_ptr<CRaster> Gradient(int w, int h)
{
    auto t = MakePicture(w, h, 0);
    const int rx = std::min(215, 2 * (w - 1)), ry = std::min(215, 2 * (h - 1));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Set(*t, x, y, RGB(20 + rx * x / std::max(w - 1, 1), 20 + ry * y / std::max(h - 1, 1), 90));
    return t;
}

} // namespace

TEST(SmoothInterior, KeepsEveryCoverageAndTheColoursOfALinearPicture)
{
    const unsigned seed = 20261207;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-1.25, 1.25), pos(-30, 30), size(30, 90);
    constexpr int kSide = 120;
    long long inner = 0;
    for (int trial = 0; trial < 48; ++trial) {
        const double w = size(rng), h = size(rng), ay = angle(rng), ax = angle(rng);
        const double cx = pos(rng), cy = pos(rng), cz = 200 + pos(rng);
        // Enlarged pictures, and ones many times larger than the face on screen.
        // Sides are powers of two so that every level halves exactly (a level
        // of an odd side places its last texel off the true mean's position,
        // which the grid and the shortcut, reading different levels, would see
        // differently).
        const bool large = trial % 3 == 2;
        auto tex = large ? Gradient(2048, 1024 << (trial % 2)) : Gradient(16 << (trial % 3), 32 >> (trial % 2));
        const bool soften = trial % 2 == 0; // coverage is only kept with softening
        const int samples = trial % 4 >= 2 ? 100 : 25;
        const bool folds = trial % 5 == 1, rounded = trial % 5 == 3, noPicture = trial % 7 == 4;
        const bool whiteAvoid = trial % 6 == 5;
        const double shade = trial % 3 == 0 ? 1.0 : 0.55 + 0.01 * trial;
        auto draw = [&](bool shortcut, bool soften, std::vector<int>& coverage) {
            CTurnedFace face(w, h, ay, ax, cx, cy, cz, kSide, 'F');
            face.Face().shade = shade;
            face.Face().fillColour = RGB(200, 120, 40);
            CTextureSet set;
            if (!noPicture) set.SetPicture('F', tex.get());
            set.smooth = true;
            set.whiteAvoid = whiteAvoid;
            set.foldsShown = folds;
            set.foldsColour = RGB(250, 250, 250);
            set.foldWidth = 3.0;
            if (rounded) {
                set.cornerRadius = 0.2 * std::min(w, h);
                set.faceWidth = w;
                set.faceHeight = h;
            }
            EXPECT_TRUE(set.BuildLevels());
            CRenderSurface::SetInteriorShortcut(shortcut);
            auto target = DrawAlone(face.Face(), face.fit, kSide, set, {.sampleCount = samples, .soften = soften}, &coverage);
            CRenderSurface::SetInteriorShortcut(true);
            return target;
        };
        std::vector<int> coverShort, coverGrid, mask;
        auto fast = draw(true, soften, coverShort);
        auto grid = draw(false, soften, coverGrid);
        draw(false, true, mask);
        // Colours are compared two pixels or more inside the outline: nearer,
        // the filters (of different widths) reach the picture's clamped edge.
        auto deep = [&](int x, int y) {
            for (int j = y - 2; j <= y + 2; ++j)
                for (int i = x - 2; i <= x + 2; ++i)
                    if (i < 0 || j < 0 || i >= kSide || j >= kSide || mask[j * kSide + i] != samples) return false;
            return true;
        };
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const int i = y * kSide + x;
                ASSERT_EQ(coverShort[i], coverGrid[i]) << "seed " << seed << " trial " << trial << " pixel " << x
                                                       << "," << y;
                if (!deep(x, y)) continue;
                ++inner;
                // One read at the centre against the mean of the grid's reads:
                // both are the linear picture at the centre, up to rounding (and
                // the halving of the levels, which rounds once per level, and the
                // two may read different levels): each channel within 3.
                const COLORREF a = Get(*fast, x, y), b = Get(*grid, x, y);
                for (int shift : {0, 8, 16})
                    ASSERT_LE(std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)), 3)
                        << "seed " << seed << " trial " << trial << " pixel " << x << "," << y;
            }
    }
    // The faces had insides to take the shortcut on.
    EXPECT_GT(inner, 20000);
}

TEST(SmoothInterior, EightOrSixteenAtATimeKeepEveryByteOfThePixelByPixelRead)
{
    // Noise pictures of awkward sizes (one texel, odd widths, rows without
    // padding), partly white; faces from enlarged to many texels a pixel;
    // unlit, lit, lit in linear light; with and without softening.
    const unsigned seed = 424242;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-1.2, 1.2), pos(-30, 30), size(30, 90);
    const int sides[][2] = {{1, 1}, {2, 3}, {4, 4}, {7, 5}, {16, 9}, {61, 33}, {256, 128}, {700, 300}};
    for (int trial = 0; trial < 32; ++trial) {
        const int tw = sides[trial % 8][0], th = sides[trial % 8][1];
        auto tex = MakePicture(tw, th, 0);
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) Set(*tex, x, y, rng() % 4 == 0 ? RGB(255, 255, 255) : COLORREF(rng() & 0xFFFFFF));
        const double w = size(rng), h = size(rng), ay = angle(rng), ax = angle(rng);
        const double cx = pos(rng), cy = pos(rng), cz = 200 + pos(rng);
        auto draw = [&](bool vector, bool wide) {
            CTurnedFace face(w, h, ay, ax, cx, cy, cz, 120, 'F');
            face.Face().shade = trial % 3 == 0 ? 1.0 : 0.6;
            face.Face().linearShade = trial % 3 == 2;
            CTextureSet set;
            set.SetPicture('F', tex.get());
            set.smooth = true;
            set.whiteAvoid = trial % 2 == 1;
            EXPECT_TRUE(set.BuildLevels());
            CInteriorSampler::SetEnabled(vector, wide);
            auto target = DrawAlone(face.Face(), face.fit, 120, set, {.soften = trial % 4 < 2});
            CInteriorSampler::SetEnabled(true);
            return target;
        };
        auto eight = draw(true, false), sixteen = draw(true, true), one = draw(false, false);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) {
                ASSERT_EQ(Get(*eight, x, y), Get(*one, x, y)) << "seed " << seed << " trial " << trial << " pixel "
                                                              << x << "," << y;
                ASSERT_EQ(Get(*sixteen, x, y), Get(*one, x, y)) << "sixteen at a time: seed " << seed << " trial "
                                                                << trial << " pixel " << x << "," << y;
            }
    }
}

namespace {

// A turned face drawn with softening into a side x side picture: its
// pixels and, when asked, every pixel's coverage.
std::unique_ptr<CRaster> DrawBlocks(const CRaster& picture, int block, double shadeU, double ay, int side,
                                    std::vector<int>* coverage = nullptr, bool shortcut = true)
{
    CTurnedFace face(60, 80, ay, 0.3, 0, 0, 200, side, 'F');
    face.Face().linearShade = true;
    face.Face().shade = 0.7;
    face.Face().shadeU = shadeU;
    CTextureSet set;
    set.SetPicture('F', &picture);
    set.smooth = true;
    set.interiorBlock = block;
    EXPECT_TRUE(set.BuildLevels());
    CRenderSurface::SetInteriorShortcut(shortcut);
    auto target = DrawAlone(face.Face(), face.fit, side, set, {.soften = true}, coverage, true);
    CRenderSurface::SetInteriorShortcut(true);
    return target;
}

} // namespace

TEST(SmoothInterior, BlocksOfAFlatFaceInFlatLightKeepEveryByte)
{
    auto flat = MakePicture(64, 64, RGB(180, 90, 40));
    for (int block : {2, 3, 4, 5}) {
        auto blocks = DrawBlocks(*flat, block, 0.0, 0.7, 120), pixels = DrawBlocks(*flat, 1, 0.0, 0.7, 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) ASSERT_EQ(Get(*blocks, x, y), Get(*pixels, x, y)) << x << "," << y;
    }
}

TEST(SmoothInterior, BlocksAreLitAtTheirCentreOnlyWhereEverySampleIsInside)
{
    // A smooth picture under light that falls from 1.3 to 0.1 across the
    // face: a block lit once differs from its pixels lit
    // one by one, but their means (the output pixel) stay within rounding
    // when the block's light is taken at its centre.
    auto tex = Gradient(64, 64);
    constexpr int kSide = 150;
    long long lit = 0;
    for (int block : {2, 3, 4, 5})
        for (double ay : {-0.8, 0.2, 0.9}) {
            std::vector<int> cover, coverBlocks, grid;
            auto blocks = DrawBlocks(*tex, block, 1.2, ay, kSide, &coverBlocks);
            auto pixels = DrawBlocks(*tex, 1, 1.2, ay, kSide, &cover);
            DrawBlocks(*tex, 1, 1.2, ay, kSide, &grid, false); // every sample of every pixel
            ASSERT_EQ(coverBlocks, cover);
            for (int by = 0; by + block <= kSide; by += block)
                for (int bx = 0; bx + block <= kSide; bx += block) {
                    int sum[2][3] = {}, differ = 0, inside = 0;
                    for (int y = by; y < by + block; ++y)
                        for (int x = bx; x < bx + block; ++x) {
                            const COLORREF a = Get(*blocks, x, y), b = Get(*pixels, x, y);
                            differ += a != b;
                            inside += grid[y * kSide + x] == 25;
                            for (int c = 0; c < 3; ++c)
                                sum[0][c] += a >> 8 * c & 0xFF, sum[1][c] += b >> 8 * c & 0xFF;
                        }
                    if (differ == 0) continue;
                    ++lit;
                    ASSERT_EQ(inside, block * block) << "block " << block << " at " << bx << "," << by;
                    for (int c = 0; c < 3; ++c)
                        ASSERT_LE(std::abs(sum[0][c] / (block * block) - sum[1][c] / (block * block)), 2)
                            << "block " << block << " at " << bx << "," << by << " channel " << c;
                }
        }
    EXPECT_GT(lit, 2000);
}

// Block means against the sums written out pixel by pixel, for block sides
// the wide path takes (2, 4, 8) and one it leaves to the plain loop (3), over
// rows long enough to cross its chunks; blocks straddle the spread limit.
TEST(SmoothInterior, BlockMeansAreThoseOfEveryPixel)
{
    std::mt19937 rng(20261208);
    for (const int K : {2, 3, 4, 8}) {
        const int count = 300 + K, spread = 12;
        const std::size_t stride = 3 * static_cast<std::size_t>(K * count) + 5;
        std::vector<std::uint8_t> px(K * stride), colours(3 * count), uneven(count), truncated(3 * count, 7);
        for (int i = 0; i < count; ++i) {
            const int base = static_cast<int>(rng() % 256), reach = static_cast<int>(rng() % 16);
            for (int r = 0; r < K; ++r)
                for (int q = 0; q < 3 * K; ++q)
                    px[r * stride + 3 * K * i + q] = static_cast<std::uint8_t>(std::min(255, base + static_cast<int>(rng() % (reach + 1))));
        }
        const CBlockRows rows{px.data(), stride, K, count};
        BlockMeans(rows, spread, colours.data(), uneven.data());
        TruncatedBlockMeans(rows, uneven.data(), truncated.data());
        for (int i = 0; i < count; ++i) {
            int sum[3] = {}, lo[3] = {255, 255, 255}, hi[3] = {};
            for (int r = 0; r < K; ++r)
                for (int q = 0; q < K; ++q)
                    for (int c = 0; c < 3; ++c) {
                        const int v = px[r * stride + 3 * (K * i + q) + c];
                        sum[c] += v, lo[c] = std::min(lo[c], v), hi[c] = std::max(hi[c], v);
                    }
            const bool spreads = hi[0] - lo[0] > spread || hi[1] - lo[1] > spread || hi[2] - lo[2] > spread;
            ASSERT_EQ(uneven[i], spreads ? 1 : 0) << "K " << K << " block " << i;
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(colours[3 * i + c], (sum[c] + K * K / 2) / (K * K)) << "K " << K << " block " << i;
                ASSERT_EQ(truncated[3 * i + c], spreads ? sum[c] / (K * K) : 7) << "K " << K << " block " << i;
            }
        }
    }
}
