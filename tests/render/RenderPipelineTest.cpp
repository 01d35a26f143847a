// Render pipeline: step percentages, the render cache cascade, the model area,
// background and scaling, and run-to-run identity, with a recording stand-in
// for the 3D engine.

#include "PixelTestUtil.h"

#include "app/FaceObjects.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "render/ModelArea.h"
#include "render/output/PictureScaler.h"
#include "render/RenderPipeline.h"
#include "render/UpdateMask.h"

namespace {

using Steps = std::vector<std::pair<std::string, int>>;

// Draws a fixed pattern into the model square (unless `paint` is off) and
// reports polygon progress in ten steps, or the (done, total) pairs of
// `reports`; records what it was asked to do.
class CFakeBackend : public CRenderBackend {
public:
    void PreparePageEdge(CProduct&, char code) override { edges += code; }
    bool DrawModel(CProduct&, const SModelDrawRequest& r) override
    {
        ++draws;
        lastArea = r.area;
        lastK = r.magnification;
        for (int y = r.area.oy; paint && y < r.area.oy + r.area.side; ++y)
            for (int x = r.area.ox; x < r.area.ox + r.area.side; ++x)
                r.target->SetPixelColor(x, y, static_cast<COLORREF>(((x * 7) ^ (y * 13)) & 0xFFFFFF));
        if (reports.empty())
            for (int i = 0; i <= 10; ++i) reports.emplace_back(i, 10);
        for (auto [d, t] : reports)
            if (r.progress) r.progress(d, t);
        return true;
    }
    std::string edges;
    int draws = 0;
    SModelArea lastArea;
    int lastK = 0;
    bool paint = true;
    std::vector<std::pair<long long, long long>> reports;
};

struct SFixture {
    explicit SFixture(const char* kind = "BOX", int w = 40, int h = 30, int k = 2)
        : product(CreateProduct(kind))
    {
        SetModel(product->GetSettings(), {{kSetRenderWidth, w}, {kSetRenderHeight, h}, {kSetMagnification, k}});
        pipeline.SetBackend(&backend);
        pipeline.GetProgress().SetSink([this](const std::string& t, int p) {
            if (steps.empty() || steps.back().first != t) steps.emplace_back(t, p);
            percents.push_back(p);
        });
    }
    void AllEffects(bool on)
    {
        SettingStore& s = product->GetSettings();
        for (std::uint32_t id : {kSetBorders, kSetBevel, kSetColorEffect, kSetLensFlare})
            s.SetInt(ModelKey(id), on ? 1 : 0);
    }
    std::unique_ptr<CProduct> product;
    CFakeBackend backend;
    CRenderPipeline pipeline;
    Steps steps;
    std::vector<int> percents;
};

const std::string P = "Please wait - ";

}  // namespace

TEST(RenderPipelinePercentages, FullRendersWithAllSomeOrNoEffects)
{
    // E = 97 less 2 (border), 3 (bevel), 5 (colour effects), 5 (flare) for
    // each effect on; the model runs from 30 to E - 10, then each effect.
    const Steps start = {{P + "Rendering", 1}, {P + "Preparing Background", 20}, {P + "Rendering Model", 30}};
    struct {
        std::vector<std::uint32_t> effects;
        Steps rest;
    } cases[] = {
        {{kSetBorders, kSetBevel, kSetColorEffect, kSetLensFlare},
         {{P + "Scaling", 72}, {P + "Adding Lens Flare", 82}, {P + "Adding Color Effects", 87},
          {P + "Adding Bevel", 92}, {P + "Adding Border", 95}, {P + "Done", 100}}},
        {{}, {{P + "Scaling", 87}, {P + "Done", 100}}},
        {{kSetBevel, kSetBorders}, {{P + "Scaling", 82}, {P + "Adding Bevel", 92}, {P + "Adding Border", 95}, {P + "Done", 100}}},
    };
    for (const auto& c : cases) {
        SFixture f;
        f.AllEffects(false);
        for (std::uint32_t id : c.effects) f.product->GetSettings().SetInt(ModelKey(id), 1);
        ASSERT_TRUE(f.pipeline.Render("y", *f.product));
        Steps expected = start;
        expected.insert(expected.end(), c.rest.begin(), c.rest.end());
        EXPECT_EQ(f.steps, expected) << c.effects.size() << " effects";
        EXPECT_TRUE(std::is_sorted(f.percents.begin(), f.percents.end()));
    }
}

TEST(RenderPipelinePercentages, FinishingOnlyUsesFixedValues)
{
    SFixture f;
    f.AllEffects(true);
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    f.steps.clear();
    // Changing only the flare intensity makes the finished picture stale.
    f.product->GetSettings().SetInt(ModelKey(kSetLensFlareIntensity), 150);
    f.pipeline.GetCache().MarkStale("z");
    ASSERT_TRUE(f.pipeline.Render("z", *f.product));
    const Steps expected = {{P + "Rendering", 1},         {P + "Scaling", 20},
                            {P + "Adding Lens Flare", 40}, {P + "Adding Color Effects", 60},
                            {P + "Adding Bevel", 80},      {P + "Adding Border", 95},
                            {P + "Done", 100}};
    EXPECT_EQ(f.steps, expected);
    EXPECT_EQ(f.backend.draws, 1);  // the model was not drawn again
}

TEST(RenderPipelinePercentages, PageEdgesOfABookArePreparedFirst)
{
    SFixture f("BOOK");
    f.AllEffects(false);
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    ASSERT_GE(f.steps.size(), 4u);
    EXPECT_EQ(Steps(f.steps.begin() + 1, f.steps.begin() + 4),
              (Steps{{P + "Preparing top", 4}, {P + "Preparing bottom", 8}, {P + "Preparing right", 16}}));
    EXPECT_EQ(f.backend.edges, "udr");

    SFixture b("BINDER");  // pages on the left: the left edge too
    ASSERT_TRUE(b.pipeline.Render("y", *b.product));
    EXPECT_EQ(b.backend.edges, "udlr");
    EXPECT_EQ(b.steps[3], std::make_pair(P + "Preparing left", 12));
}

TEST(RenderCacheCascade, StaleCodesRedoOnlyWhatDependsOnThem)
{
    SFixture f("BOOK");
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    // A second entry with the same code does nothing.
    f.steps.clear();
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    ASSERT_TRUE(f.pipeline.Render("z", *f.product));
    EXPECT_EQ(std::pair(f.backend.draws, f.steps.size()), std::pair(1, std::size_t(0)));

    // The left page edge does not cascade: "y" stays up to date.
    f.pipeline.GetCache().MarkStale("l");
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    EXPECT_TRUE(f.backend.draws == 1 && !f.pipeline.GetCache().IsUpToDate("l"));

    // The right page edge does: the next "y" entry redoes the full render and
    // prepares only the stale edge.
    f.backend.edges.clear();
    f.pipeline.GetCache().MarkStale("r");
    EXPECT_FALSE(f.pipeline.GetCache().IsUpToDate("z"));
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    EXPECT_EQ(std::pair(f.backend.draws, f.backend.edges), std::pair(2, std::string("r")));
    for (const char* c : {"u", "d"}) {
        CRenderCache cache;
        cache.SetUpToDate("y");
        cache.SetUpToDate("z");
        cache.MarkStale(c);
        EXPECT_FALSE(cache.IsUpToDate("y") || cache.IsUpToDate("z")) << c;
    }
    // Page-edge codes on their own prepare only that edge.
    f.backend.edges.clear();
    ASSERT_TRUE(f.pipeline.Render("l", *f.product));
    EXPECT_EQ(std::pair(f.backend.draws, f.backend.edges), std::pair(2, std::string("l")));
    CRenderCache empty;
    EXPECT_FALSE(empty.IsUpToDate("z"));  // never set counts as stale
}

TEST(RenderCacheCascade, UpdateMaskOfAnEditMarksWhatIsStale)
{
    // Per update class: how often the models are discarded and which pictures
    // (of u d l r x y z) are stale after it.
    const struct {
        unsigned mask;
        int discarded;
        const char* stale;
    } cases[] = {
        {GetUpdateClass(kSetBorderColor), 0, "z"},   // only the finished picture
        {GetUpdateClass(kSetXRotation), 1, "xyz"},   // models, layout, scratch and rendering
        {130, 1, "yz"},                              // Shadow Color: not the layout
        {18, 0, "druyz"},                            // Paper Color of a box: no binding edge
    };
    auto box = CreateProduct("BOX");
    for (const auto& c : cases) {
        CRenderCache cache;
        for (const char* code : {"u", "d", "l", "r", "x", "y", "z"}) cache.SetUpToDate(code);
        int discarded = 0;
        std::string error, stale;
        EXPECT_TRUE(ApplyUpdateMask(*box, cache, c.mask, nullptr, [&] { ++discarded; }, error));
        for (const char* code : {"d", "l", "r", "u", "x", "y", "z"})
            if (!cache.IsUpToDate(code)) stale += code;
        EXPECT_EQ(std::pair(discarded, stale), std::pair(c.discarded, std::string(c.stale))) << "mask " << c.mask;
    }
}

// A render made elsewhere from a copy is current only while nothing was marked
// stale since the copy: every MarkStale and Clear moves the count, finishing a
// render (SetUpToDate) does not.
TEST(RenderCacheCascade, ChangeCountMovesWithEveryStaleMark)
{
    CRenderCache cache;
    const auto start = cache.GetChangeCount();
    cache.SetUpToDate("y");
    cache.SetUpToDate("z");
    std::vector<unsigned long long> counts{cache.GetChangeCount() - start};
    cache.MarkStale("z");
    counts.push_back(cache.GetChangeCount() - start);
    cache.MarkStale("z");  // already stale: still an edit the copy did not see
    counts.push_back(cache.GetChangeCount() - start);
    cache.Clear();
    CRenderCache copy = cache;
    copy.MarkStale("x");
    counts.push_back(cache.GetChangeCount() - start);
    EXPECT_EQ(counts, (std::vector<unsigned long long>{0, 1, 2, 3}));
}

TEST(ModelArea, SquareAndMargins)
{
    using A = std::array<int, 3>;  // side, ox, oy
    const auto area = [](const SModelArea& a) { return A{a.side, a.ox, a.oy}; };
    // 1000 x 800, k = 2, no frame: mx = my = min(20, 100 | 80) = 20; inner 980 x 780.
    EXPECT_EQ(area(ComputeModelArea(1000, 800, 2, 0)), (A{780, 10, 10}));
    // Border 5 with k = 2: inner = 1000 - 20 - 20 = 960 by 800 - 20 - 20 = 760; corner (20, 20).
    EXPECT_EQ(area(ComputeModelArea(1000, 800, 2, 5)), (A{760, 20, 20}));
    // Small picture: a tenth is smaller than 10 k. 50 x 70, k 4: mx = 5, my = 7;
    // inner 45 x 63, corner ((50 - 45) / 2 truncated, 3).
    EXPECT_EQ(area(ComputeModelArea(50, 70, 4, 0)), (A{45, 2, 3}));
    // A frame wider than the picture leaves nothing to draw into.
    EXPECT_EQ(ComputeModelArea(100, 100, 1, 80).side, 0);

    // The pipeline hands the engine this area: 500 x 400 output at k = 2.
    SFixture f("BOX", 500, 400, 2);
    f.AllEffects(false);
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    EXPECT_EQ(std::pair(area(f.backend.lastArea), f.backend.lastK), std::pair(A{780, 10, 10}, 2));
}

TEST(PictureScaling, ChoosesTheMethodAndResamplingKeepsAUniformPicture)
{
    EXPECT_EQ((std::array{ChooseScaleMethod(80, 60, 40, 30), ChooseScaleMethod(40, 30, 40, 30),
                          ChooseScaleMethod(20, 15, 40, 30), ChooseScaleMethod(50, 30, 40, 30)}),
              (std::array{EScaleMethod::BlockAverage, EScaleMethod::Copy, EScaleMethod::Resample, EScaleMethod::Resample}));

    // Enlarging a uniform picture keeps it uniform.
    CPixelBuffer small(3, 2), big(10, 7);
    small.Fill(0x123456);
    ScalePicture(small.View(), big.View());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(big.Get(x, y), 0x123456u);
}

TEST(PictureScaling, FourfoldEnlargementMixesTheTwoByTwoNearestPixels)
{
    // At four times, output pixel x lies at (2x - 3) / 8 source pixels: from
    // x = 2 on, pixel (x - 2) / 4 with weight 32 + 64 ((x - 2) % 4) in 256ths
    // on the next, held at the first and last pixel beyond them.
    const auto taps = [](int x, int n, int& p0, int& p1, int& weight) {
        p0 = x < 2 ? 0 : std::min((x - 2) / 4, n - 1);
        weight = x < 2 || p0 == n - 1 ? 0 : 32 + 64 * ((x - 2) % 4);
        p1 = std::min(p0 + 1, n - 1);
    };
    std::mt19937 rng(5);
    const int w = 10, h = 6; // 120 bytes a row: whole sixteens and a tail
    CPixelBuffer src(w, h), dst(4 * w, 4 * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            src.Set(x, y, (x + y) % 7 == 0 ? 0xFFFFFFu : (x * y) % 5 == 1 ? 0u : rng() & 0xFFFFFFu);
    ScalePicture(src.View(), dst.View());
    for (int y = 0; y < 4 * h; ++y)
        for (int x = 0; x < 4 * w; ++x) {
            int x0, x1, wx, y0, y1, wy;
            taps(x, w, x0, x1, wx);
            taps(y, h, y0, y1, wy);
            std::uint32_t expected = 0;
            for (int k = 0; k < 3; ++k) {
                const auto c = [&](int i, int j) { return static_cast<int>(src.Get(i, j) >> (8 * k) & 0xFF); };
                const int top = c(x0, y0) * (256 - wx) + c(x1, y0) * wx;
                const int bottom = c(x0, y1) * (256 - wx) + c(x1, y1) * wx;
                expected |= static_cast<std::uint32_t>((top * (256 - wy) + bottom * wy + 32768) >> 16) << (8 * k);
            }
            ASSERT_EQ(dst.Get(x, y), expected) << x << "," << y;
        }
}

TEST(PictureScaling, BlockAverageIsTheTruncatedMeanOfEveryBlock)
{
    // Blocks of r x r pixels with random channels, against the mean worked
    // out here: sum of the block / (r * r), remainder dropped.
    std::mt19937 rng(31);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int r : {2, 3, 4, 5, 6, 7, 8, 9, 12, 16, 25}) {
        const int w = 7, h = 5;
        CPixelBuffer src(w * r, h * r), dst(w, h);
        for (int y = 0; y < h * r; ++y)
            for (int x = 0; x < w * r; ++x) {
                // Some blocks all white, to reach the largest sums.
                const bool white = (x / r + y / r) % 5 == 0;
                const auto c = [&]() { return static_cast<std::uint32_t>(white ? 255 : channel(rng)); };
                src.Set(x, y, c() | (c() << 8) | (c() << 16));
            }
        ScalePicture(src.View(), dst.View());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint32_t expected = 0;
                for (int k = 0; k < 3; ++k) {
                    std::uint32_t sum = 0;
                    for (int j = 0; j < r; ++j)
                        for (int i = 0; i < r; ++i) sum += (src.Get(x * r + i, y * r + j) >> (8 * k)) & 0xFF;
                    expected |= (sum / static_cast<std::uint32_t>(r * r)) << (8 * k);
                }
                ASSERT_EQ(dst.Get(x, y), expected) << "r " << r << " block " << x << "," << y;
            }
    }
}

TEST(RenderPipelineOutput, BackgroundTwiceTheScratchSizeIsBlockAveraged)
{
    SFixture f("BOX", 10, 10, 1);
    f.AllEffects(false);
    auto bg = std::make_unique<CRaster>(CRaster::Make(20, 20, 24).value());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) bg->SetPixelColor(x, y, RGB((x % 2) * 100, (y % 2) * 50, 9));
    f.product->GetOrCreateSide("G").SetPicture(std::move(bg));
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    // The top-right pixel lies outside the 9-pixel model square at (0, 0):
    // (0 + 100 + 0 + 100) / 4 = 50 red,
    // (0 + 0 + 50 + 50) / 4 = 25 green.
    const CRaster* z = f.product->FindSidePtr("z")->GetPicture();
    EXPECT_EQ(RGBQUADtoRGB(z->GetPixelColor(9, 9)), RGB(50, 25, 9));
}

TEST(RenderPipelineOutput, HugeStoredSizeIsRefusedWithoutDrawing)
{
    // A damaged file asking for 10000 x 10000 at k = 16: drawn whole (as
    // this stand-in draws) the magnification comes down to 1 and even that is
    // beyond the scratch budget, so the render ends without drawing and
    // without a huge allocation.
    SFixture f("BOX", 10000, 10000, 16);
    f.AllEffects(false);
    EXPECT_FALSE(f.pipeline.Render("y", *f.product));
    EXPECT_TRUE(f.backend.draws == 0 && !f.pipeline.GetCache().IsUpToDate("y"));
    EXPECT_EQ(GetRenderSize(f.product->GetSettings(), false).k, 1);
    // Drawn in bands only the drawing time is bounded: 10000 * 6 = 60000
    // columns fit the 65535 a band may have, and 60000 x 60000 is beyond
    // 1.6 billion scratch pixels, which 40000 x 40000 (k = 4) is not.
    EXPECT_EQ(GetRenderSize(f.product->GetSettings()).k, 4);
    // 999 x 999 at k = 16 would be 255 million scratch pixels: drawn whole k
    // drops to 6 (999 * 999 * 36 = 35.9 million); in bands it stays.
    SFixture g("BOX", 999, 999, 16);
    EXPECT_EQ(std::pair(GetRenderSize(g.product->GetSettings(), false).k, GetRenderSize(g.product->GetSettings()).k),
              std::pair(6, 16));
    // Negative or zero stored values are brought into range.
    SFixture h("BOX", -5, 0, -3);
    const SRenderSize s = GetRenderSize(h.product->GetSettings());
    EXPECT_TRUE(s.width == 1 && s.height == 1 && s.k == 1);
}

TEST(RenderProgressState, PercentOnlyGrowsAndTextsArePrefixed)
{
    CRenderProgress progress;
    Steps seen;
    progress.SetSink([&](const std::string& t, int p) { seen.emplace_back(t, p); });
    progress.Begin();
    progress.SetStep("Scaling", 72);
    progress.SetStep("Adding Lens Flare", 40);  // lower: the text changes, the bar does not go back
    progress.SetPercent(50);
    progress.SetPercent(90);
    const Steps expected = {{P + "Scaling", 72}, {P + "Adding Lens Flare", 72}, {P + "Adding Lens Flare", 90}};
    EXPECT_EQ(seen, expected);
    progress.Begin();  // a new render starts from 0 again
    progress.SetStep("Rendering", 1);
    EXPECT_EQ(progress.GetPercent(), 1);
}

TEST(RenderProgressState, ModelStepMapsPolygonsOntoItsRange)
{
    SFixture f;
    f.AllEffects(true);  // model from 30 to 72
    // 5 of 10 -> 30 + 5 * 42 / 10 = 51; 7 of 9 -> 30 + 294 / 9 = 62; a count going
    // back (3 of 10) is ignored; over-counting is held at the end, 72.
    f.backend.reports = {{5, 10}, {7, 9}, {3, 10}, {12, 10}};
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    const std::vector<int> modelPart(f.percents.begin() + 3, f.percents.begin() + 6);
    EXPECT_EQ(modelPart, (std::vector<int>{51, 62, 72}));
}

TEST(RenderPipelineGolden, FinishedPictureOfAPlainBackground)
{
    // A uniform background (100, 150, 200) at twice the output size, no
    // model; bevel "Buttonize" of 3 rings, a 1-pixel border in (9, 8, 7) and
    // Brightness 120. Every expected pixel follows from the arithmetic alone:
    //   scaling: 2 x 2 blocks of one colour stay that colour;
    //   bevel ring 1..2 (ring 0 is under the border), a = 128:
    //     towards 224: (c * 128 + 224 * 127) / 255, towards 128: (c * 128 + 128 * 127) / 255;
    //   brightness: ((100 c + 1) * 120 / 100 - 1) / 100.
    const int W = 12, H = 10;
    SFixture f("BOX", W, H, 2);
    f.backend.paint = false;
    SetModel(f.product->GetSettings(), {{kSetBevel, 1}, {kSetBevelStyle, 1}, {kSetBevelSize, 3}, {kSetBorders, 1},
                                        {kSetBorderSize, 1}, {kSetBorderColor, RGB(9, 8, 7)}, {kSetBrightness, 120}});
    auto bg = std::make_unique<CRaster>(CRaster::Make(2 * W, 2 * H, 24).value());
    for (int y = 0; y < 2 * H; ++y) bg->HorizontalLine(0, 2 * W - 1, y, RGB(100, 150, 200));
    f.product->GetOrCreateSide("G").SetPicture(std::move(bg));
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));

    auto light = [](int c) { return (c * 128 + 224 * 127) / 255; };
    auto dark = [](int c) { return (c * 128 + 128 * 127) / 255; };
    auto bright = [](int c) { return std::min(255, ((100 * c + 1) * 120 / 100 - 1) / 100); };
    const int rgb[3] = {100, 150, 200};
    const CRaster* z = f.product->FindSidePtr("z")->GetPicture();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            int c[3] = {rgb[0], rgb[1], rgb[2]};
            // Rings are applied outer to inner; each pixel lies on at most one
            // ring's edge here except where a later ring passes over it.
            for (int k = 0; k < 3; ++k) {
                for (int ch = 0; ch < 3; ++ch) {
                    const bool bottom = y == k && x >= k && x <= W - 1 - k;
                    const bool top = y == H - 1 - k && x >= k && x <= W - 1 - k;
                    const bool left = x == k && y >= k + 1 && y <= H - 2 - k;
                    const bool right = x == W - 1 - k && y >= k + 1 && y <= H - 2 - k;
                    if (bottom) c[ch] = dark(c[ch]);
                    if (top) c[ch] = light(c[ch]);
                    if (left) c[ch] = light(c[ch]);
                    if (right) c[ch] = dark(c[ch]);
                }
            }
            const bool border = x == 0 || y == 0 || x == W - 1 || y == H - 1;
            COLORREF expected = border ? RGB(bright(9), bright(8), bright(7))
                                       : RGB(bright(c[0]), bright(c[1]), bright(c[2]));
            ASSERT_EQ(RGBQUADtoRGB(z->GetPixelColor(x, y)), expected) << x << "," << y;
        }
    }
    // Spot check written out in full: pixel (1, 5) lies on ring 1's left edge:
    // red (100 * 128 + 224 * 127) / 255 = 161, brightened (16101 * 1.2 = 19321) - 1 -> 193.
    EXPECT_EQ(GetRValue(RGBQUADtoRGB(z->GetPixelColor(1, 5))), 193);
}

TEST(RenderPipelineOutput, LayoutPreviewDrawsAtOutputSize)
{
    SFixture f("BOX", 60, 40, 3);
    ASSERT_TRUE(f.pipeline.Render("x", *f.product));
    const CRaster* x = f.product->FindSidePtr("x")->GetPicture();
    ASSERT_TRUE(x && x->GetWidth() == 60 && x->GetHeight() == 40);
    EXPECT_TRUE(f.pipeline.GetCache().IsUpToDate("x") && !f.pipeline.GetCache().IsUpToDate("y"));
    ASSERT_TRUE(f.pipeline.Render("x", *f.product));
    EXPECT_EQ(std::pair(f.backend.draws, f.backend.lastK), std::pair(1, 1));  // drawn once, at k 1
}

namespace {

// A face's draw objects that paint one pixel (1, 1) red.
class CDotObjects : public CFaceObjects {
public:
    std::size_t GetObjectCount() const override { return 1; }
    bool SaveObject(std::size_t, std::vector<std::uint8_t>&) const override { return false; }
    bool LoadObject(const std::uint8_t*, std::size_t) override { return false; }
    std::unique_ptr<CFaceObjects> Clone() const override { return std::make_unique<CDotObjects>(); }
    void RenderToFace(CRaster& face) const override { face.SetPixelColor(1, 1, RGB(255, 0, 0)); }
};

// Records the colour of the front picture's pixel (1, 1) as each step sees it.
class CFaceProbe : public CRenderBackend {
public:
    void PreparePageEdge(CProduct&, char) override {}
    void PreparePageEdge(CProduct&, char, const FacePictureLookup& faces) override { edgeSaw = Probe(faces); }
    bool DrawModel(CProduct&, const SModelDrawRequest& r) override
    {
        modelSaw = Probe(r.faces);
        return true;
    }
    static COLORREF Probe(const FacePictureLookup& faces)
    {
        const CRaster* f = faces ? faces('F') : nullptr;
        return f ? RGBQUADtoRGB(f->GetPixelColor(1, 1)) : 0x1000000u;
    }
    COLORREF edgeSaw = 0x2000000u, modelSaw = 0x2000000u;
};

}  // namespace

TEST(RenderPipelineOutput, FacesCarryTheirDrawObjectsWithoutChangingTheSides)
{
    SFixture f("BOOK");
    auto front = std::make_unique<CRaster>(CRaster::Make(8, 8, 24).value());
    front->ToWhite();
    f.product->GetOrCreateSide("F").SetPicture(std::move(front));
    CDotObjects dot;
    f.pipeline.SetFaceObjects([&dot](std::string_view key) -> const CFaceObjects* {
        return key == "F" ? &dot : nullptr;
    });
    CFaceProbe probe;
    f.pipeline.SetBackend(&probe);
    ASSERT_TRUE(f.pipeline.Render("y", *f.product));
    // The page-edge covers see the artwork, and so does the model.
    EXPECT_EQ(std::pair(probe.edgeSaw, probe.modelSaw), std::pair(RGB(255, 0, 0), RGB(255, 0, 0)));
    // The side keeps its plain appearance picture.
    EXPECT_EQ(RGBQUADtoRGB(f.product->FindSidePtr("F")->GetPicture()->GetPixelColor(1, 1)), 0xFFFFFFu);
    // The layout preview shows the faces with their objects too.
    probe.modelSaw = 0x2000000u;
    ASSERT_TRUE(f.pipeline.Render("x", *f.product));
    EXPECT_EQ(probe.modelSaw, RGB(255, 0, 0));
    EXPECT_EQ(RGBQUADtoRGB(f.product->FindSidePtr("F")->GetPicture()->GetPixelColor(1, 1)), 0xFFFFFFu);
}
