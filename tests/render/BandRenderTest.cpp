// Drawing in bands and on several threads gives the picture of drawing the
// scratch picture whole on one thread, on every kind of product with
// shadows, reflection and edge softening; cancelling leaves the data stale;
// what lies under the columns the model says it covers never shows.
// The engine back end's page-edge pictures where a side has none, and the
// framing of a new-project box.

#include "PixelTestUtil.h"

#include <string_view>
#include <utility>
#include <vector>

#include "image/CodecTestUtil.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "render/BandRenderer.h"
#include "render/EngineBackend.h"
#include "render/output/PictureScaler.h"
#include "render/RenderPipeline.h"

namespace {

std::unique_ptr<CRaster> Noise(int w, int h, unsigned seed)
{
    return std::make_unique<CRaster>(testutil::RandomPicture(w, h, 24, seed));
}

// A product of `kind` with noisy face pictures, two lights, reflection and
// softening on, at 90 x 70 pixels and magnification 3.
std::unique_ptr<CProduct> MakeProduct(const char* kind, bool plainBackground)
{
    std::unique_ptr<CProduct> p = CreateProduct(kind);
    SetModel(p->GetSettings(), {{kSetProductWidth, 100}, {kSetProductHeight, 150}, {kSetProductDepth, 30},
                                {kSetRenderWidth, 90}, {kSetRenderHeight, 70}, {kSetMagnification, 3}, {kSetShadows, 1},
                                {kSetLights, LightBit(3, 1) | LightBit(0, 3)}, {kSetReflection, 1},
                                {kSetSoftenEdges, 1}, {kSetCDPosition, 0}, {kSetBinderType, 1}});
    unsigned seed = 1;
    for (const char* key : {"F", "L", "R", "U", "D", "S", "u", "d", "r", "l", "C"})
        p->GetOrCreateSide(key).SetPicture(Noise(40, 50, seed++));
    if (plainBackground) {
        auto g = std::make_unique<CRaster>(CRaster::Make(90, 70, 24).value());
        for (int y = 0; y < 70; ++y) g->HorizontalLine(0, 89, y, RGB(30, 140, 200));
        p->GetOrCreateSide("G").SetPicture(std::move(g));
    } else {
        p->GetOrCreateSide("G").SetPicture(Noise(90, 70, 99)); // smaller than the scratch: resampled
    }
    return p;
}

// Renders a copy of the product; the finished picture's bytes.
std::vector<std::uint8_t> Rendered(const CProduct& original, bool whole, int threads, int bandRows,
                                   bool keepUnfinished = true)
{
    std::unique_ptr<CProduct> product = CloneProduct(original);
    EXPECT_NE(product, nullptr);
    if (!product) return {};
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetWholeScratch(whole);
    pipeline.SetThreads(threads);
    pipeline.SetBandRows(bandRows);
    pipeline.SetKeepUnfinished(keepUnfinished);
    EXPECT_TRUE(pipeline.Render("y", *product)) << backend.GetLastError() << pipeline.GetLastError();
    const CRaster* z = product->FindSidePtr("z")->GetPicture();
    EXPECT_TRUE(z != nullptr && z->GetWidth() == 90 && z->GetHeight() == 70);
    if (z == nullptr) return {};
    return std::vector<std::uint8_t>(z->GetBits(0), z->GetBits(0) + z->GetEffWidth() * z->GetHeight());
}

// The product rendered as a cut-out (the picture with its coverage as alpha).
const CRaster& CutOut(CProduct& product, bool keepUnfinished = true)
{
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetTransparent(true);
    pipeline.SetKeepUnfinished(keepUnfinished);
    EXPECT_TRUE(pipeline.Render("y", product)) << backend.GetLastError() << pipeline.GetLastError();
    return *product.FindSidePtr("z")->GetPicture();
}

// "" when equal, else where the first difference is (bytes of 90-pixel rows).
std::string FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a == b) return "";
    if (a.size() != b.size()) return "sizes differ";
    std::size_t i = 0;
    while (a[i] == b[i]) ++i;
    const std::size_t stride = (90 * 3 + 3) & ~std::size_t(3);
    return "first difference at x " + std::to_string(i % stride / 3) + ", y " + std::to_string(i / stride) + ": " +
           std::to_string(a[i]) + " vs " + std::to_string(b[i]);
}

std::pair<int, int> PictureSize(const CProduct& product, const char* key)
{
    const CSide* side = product.FindSidePtr(key);
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    return picture ? std::pair{picture->GetWidth(), picture->GetHeight()} : std::pair{0, 0};
}

// The product's W x H x D millimetres and its rendering size.
void SetSizes(CProduct& p, double w, double h, double d, int renderW, int renderH)
{
    SetModel(p.GetSettings(), {{kSetProductWidth, w}, {kSetProductHeight, h}, {kSetProductDepth, d},
                               {kSetRenderWidth, renderW}, {kSetRenderHeight, renderH}});
}

// A new-project box (190 x 260 x 60 mm) with mid-grey faces at w x h pixels,
// rendered by the engine at magnification 1 on the white table.
std::unique_ptr<CProduct> RenderNewBox(int w, int h)
{
    std::unique_ptr<CProduct> box = CreateProduct("BOX");
    SettingStore& s = box->GetSettings();
    ApplyStartValues(s);
    ApplyNewProjectView(s);
    SetSizes(*box, 190, 260, 60, w, h);
    SetModel(s, {{kSetMagnification, 1}, {kSetBackdrop, 0}}); // the plain white table
    for (const char* face : {"F", "L", "R", "U", "D"}) {
        auto picture = std::make_unique<CRaster>();
        picture->Create(16, 16, 24);
        picture->Clear(128);
        box->GetOrCreateSide(face).SetPicture(std::move(picture));
    }
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    EXPECT_TRUE(pipeline.Render("y", *box));
    return box;
}
}  // namespace

TEST(BandRender, BandsAndThreadsGiveTheWholePictureOnEveryKind)
{
    for (const char* kind : GetKindCodes()) {
        for (bool plain : {false, true}) {
            // The plain background takes its own path, the same for every kind.
            if (plain && std::string_view(kind) != "BOX")
                continue;
            const std::unique_ptr<CProduct> product = MakeProduct(kind, plain);
            ASSERT_NE(product, nullptr) << kind;
            const std::vector<std::uint8_t> whole = Rendered(*product, true, 1, 0);
            ASSERT_FALSE(whole.empty()) << kind;
            // Bands of 6 scratch rows (2 output rows), one thread; then the
            // chosen bands on two and on three threads, the last handing its
            // unfinished picture over as the rendering.
            const char* what = plain ? " plain" : " picture";
            EXPECT_EQ(FirstDifference(Rendered(*product, false, 1, 6), whole), "") << kind << what << ", bands of 6";
            EXPECT_EQ(FirstDifference(Rendered(*product, false, 2, 0), whole), "") << kind << what << ", 2 threads";
            EXPECT_EQ(FirstDifference(Rendered(*product, false, 3, 9, false), whole), "")
                << kind << what << ", 3 threads";
        }
    }
}

TEST(BandRender, EnhancedDetailCutShadowsAndLightFallOffToo)
{
    std::unique_ptr<CProduct> product = MakeProduct("BOXCD", false);
    ASSERT_NE(product, nullptr);
    SetModel(product->GetSettings(),
             {{kSetDetail, 1}, {kSetShadowStyle, 0}, {kSetLighting, 1}, {kSetFalloff, 40}, {kSetTextureFiltering, 1},
              {kSetBackdrop, 1}});
    const std::vector<std::uint8_t> whole = Rendered(*product, true, 1, 0);
    EXPECT_EQ(FirstDifference(Rendered(*product, false, 2, 3), whole), "");
}

TEST(BandRender, ColumnsTheModelCoversNeverShow)
{
    for (const char* kind : GetKindCodes()) {
        for (bool look : {false, true}) {
            std::unique_ptr<CProduct> product = MakeProduct(kind, false);
            if (look) ApplyNewProjectView(product->GetSettings());
            CEngineBackend backend;
            CRenderPipeline pipeline;
            std::map<char, CRaster> burnt;
            SModelDrawRequest request;
            request.area = ComputeModelArea(270, 210, 3, 0);
            request.magnification = 3;
            request.faces = pipeline.MakeFaceLookup(*product, burnt);
            const std::unique_ptr<CModelBands> model = backend.PrepareBands(*product, request, 270, 210);
            ASSERT_NE(model, nullptr) << kind;
            const std::unique_ptr<CRaster> ground = Noise(270, 210, 5);
            long long covered = 0;
            // The ground everywhere, then with `mark` the covered columns painted over.
            auto render = [&](bool mark) {
                CPixelBuffer out(90, 70);
                const BandBackground fill = [&](const CPixelView& band, int firstRow, const CCoveredRow* rows) {
                    ScalePictureRows(ViewOf(*ground), 210, firstRow, band);
                    for (int y = 0; mark && y < band.GetHeight(); ++y)
                        for (int i = 0; i < rows[y].count; ++i) {
                            covered += rows[y].to[i] - rows[y].from[i] + 1;
                            std::memset(band.At(rows[y].from[i], y), 0x5A, 3 * std::size_t(rows[y].to[i] - rows[y].from[i] + 1));
                        }
                };
                EXPECT_TRUE(RenderBands(SBandLayout{270, 210, 3, 30, 1}, fill, model.get(), out.View(), nullptr).ok);
                return out.Bytes();
            };
            EXPECT_EQ(render(true), render(false)) << kind << (look ? ", new-project look" : ", plain look");
            EXPECT_TRUE(covered > 0 || std::string_view(kind) != "BOX") << look; // else the test shows nothing
        }
    }
}

TEST(BandRender, CancelStopsAndLeavesTheDataStale)
{
    std::unique_ptr<CProduct> product = MakeProduct("BOX", false);
    CEngineBackend backend;
    CRenderPipeline pipeline;
    pipeline.SetBackend(&backend);
    pipeline.SetThreads(1);
    pipeline.SetBandRows(3);
    int calls = 0;
    pipeline.GetProgress().SetCancellableSink([&calls](const std::string& status, int) {
        ++calls;
        return status != "Please wait - Rendering Model";  // cancel once the model starts
    });
    EXPECT_FALSE(pipeline.Render("y", *product));
    EXPECT_TRUE(pipeline.WasCancelled() && !pipeline.GetCache().IsUpToDate("y") && !pipeline.GetCache().IsUpToDate("z"));
    // The next render starts over and completes.
    pipeline.GetProgress().SetCancellableSink(nullptr);
    EXPECT_TRUE(pipeline.Render("y", *product));
    EXPECT_FALSE(pipeline.WasCancelled());
    EXPECT_TRUE(pipeline.GetCache().IsUpToDate("z"));
}

TEST(BandRender, ScaledRowsAreTheRowsOfTheWholeScaling)
{
    // Block average (120 -> 40), copy (40 -> 40) and resampling (40 -> 70).
    const std::unique_ptr<CRaster> source = Noise(120, 90, 7);
    const std::unique_ptr<CRaster> small = Noise(40, 30, 8);
    struct Case { CRaster* from; int w, h; };
    for (const Case& c : {Case{source.get(), 40, 30}, Case{small.get(), 40, 30}, Case{small.get(), 70, 50}}) {
        CPixelBuffer whole(c.w, c.h);
        ScalePicture(ViewOf(*c.from), whole.View());
        for (int first = 0; first < c.h; first += 7) {
            const int rows = std::min(7, c.h - first);
            CPixelBuffer band(c.w, rows);
            // Covered columns (left as they were) at places that cut the
            // rows' runs of sixteen columns anywhere, different each row.
            std::vector<CCoveredRow> covered(static_cast<std::size_t>(rows));
            for (int y = 0; y < rows; ++y) {
                covered[y].Add(y % 5, y % 5 + 1 + y);
                covered[y].Add(20 + 3 * y, 37 + y);
            }
            for (const CCoveredRow* cover : {static_cast<const CCoveredRow*>(nullptr), std::as_const(covered).data()}) {
                band.Fill(0x5A5A5A);
                ScalePictureRows(ViewOf(*c.from), c.h, first, band.View(), cover);
                for (int y = 0; y < rows; ++y)
                    for (int x = 0; x < c.w; ++x) {
                        const bool left = cover && c.from != source.get() && // a block average makes every column
                                          ((x >= y % 5 && x <= y % 5 + 1 + y) || (x >= 20 + 3 * y && x <= 37 + y));
                        ASSERT_EQ(band.Get(x, y), left ? 0x5A5A5Au : whole.Get(x, first + y))
                            << c.w << "x" << c.h << " row " << first + y << (cover ? ", covered" : "");
                    }
            }
        }
    }
}

TEST(BandRender, CutOutOverWhiteIsTheRenderOnWhite)
{
    for (const char* kind : {"BOX", "CARD", "CD", "BINDERCD"}) {
        std::unique_ptr<CProduct> product = MakeProduct(kind, true);
        ASSERT_NE(product, nullptr) << kind;
        product->GetOrCreateSide("G").GetPicture()->Clear(0xFF);  // a white background
        // Studio shadows darken what lies below them, the reflection too, in
        // the opaque picture as in the cut-out.
        product->GetSettings().SetInt(ModelKey(kSetShadowStyle), 4);
        std::unique_ptr<CProduct> cut = CloneProduct(*product);
        const std::vector<std::uint8_t> onWhite = Rendered(*product, false, 2, 0);

        const CRaster* z = &CutOut(*cut, false);  // the coverage goes with the picture
        ASSERT_TRUE(z->HasAlpha()) << kind;
        const std::uint8_t* alpha = z->AlphaGetPointer();
        int opaque = 0, partial = 0;
        for (int y = 0; y < z->GetHeight(); ++y)
            for (int x = 0; x < z->GetWidth(); ++x) {
                const int a = alpha[y * z->GetWidth() + x];
                opaque += a == 255;
                partial += a > 0 && a < 255;
                const std::uint8_t* p = z->GetBits(y) + 3 * x;
                const std::uint8_t* q = onWhite.data() + static_cast<std::size_t>(y) * z->GetEffWidth() + 3 * x;
                for (int c = 0; c < 3; ++c) {
                    // Laid over white: colour * a / 255 + white * (255 - a) / 255.
                    const int over = (p[c] * a + 255 * (255 - a) + 127) / 255;
                    ASSERT_LE(std::abs(over - q[c]), 1) << kind << " at " << x << "," << y << " channel " << c
                                                        << " alpha " << a;
                }
            }
        EXPECT_GT(opaque, 100) << kind << ": the product is opaque";
        EXPECT_GT(partial, 10) << kind << ": edges, shadows and the reflection are partly transparent";
        const int w = z->GetWidth(), h = z->GetHeight();
        for (int i : {0, w - 1, (h - 1) * w, h * w - 1}) EXPECT_EQ(alpha[i], 0) << kind << " corner " << i;
    }
}

TEST(BandRender, CutOutBorderIsAnOpaqueFrame)
{
    std::unique_ptr<CProduct> product = MakeProduct("BOX", true);
    SetModel(product->GetSettings(), {{kSetBorders, 1}, {kSetBorderSize, 3}, {kSetBorderColor, RGB(200, 0, 0)}});
    const CRaster* z = &CutOut(*product);
    const std::uint8_t* alpha = z->AlphaGetPointer();
    const int w = z->GetWidth();
    for (int y : {0, 2, 35, 67, 69})
        for (int x : {0, 1, 2, 45, 87, 89}) {
            const bool inFrame = x < 3 || x >= w - 3 || y < 3 || y >= 70 - 3;
            if (!inFrame) continue;
            EXPECT_EQ(alpha[y * w + x], 255) << x << "," << y;
            const RGBQUAD c = z->GetPixelColor(x, y);
            EXPECT_TRUE(c.rgbRed == 200 && c.rgbGreen == 0 && c.rgbBlue == 0) << x << "," << y;
        }
}

TEST(BandRender, CutOutShadowDarkensADarkGround)
{
    // A black box without reflection: laid over a dark ground (47) its
    // cut-out, shadows included, may darken the ground but never lighten it.
    for (int style : {3, 4}) {
        std::unique_ptr<CProduct> product = MakeProduct("BOX", true);
        SetModel(product->GetSettings(), {{kSetReflection, 0}, {kSetShadowStyle, style}});
        for (const char* key : {"F", "L", "R", "U", "D"}) product->GetOrCreateSide(key).GetPicture()->Clear(0);
        const CRaster* cut = &CutOut(*product);
        const int w = cut->GetWidth();
        int darkened = 0;
        for (int y = 0; y < cut->GetHeight(); ++y)
            for (int x = 0; x < w; ++x) {
                const int a = cut->AlphaGetPointer()[y * w + x];
                const std::uint8_t* p = cut->GetBits(y) + 3 * x;
                for (int c = 0; c < 3; ++c) {
                    const int over = (p[c] * a + 47 * (255 - a) + 127) / 255;
                    ASSERT_LE(over, 47) << "style " << style << " at " << x << "," << y << " alpha " << a;
                    darkened += over < 47;
                }
            }
        EXPECT_GT(darkened, 300) << "style " << style;
    }
}

TEST(EngineBackendPageEdges, MissingPictureIsMadeAtTheNewProjectFaceScale)
{
    std::unique_ptr<CProduct> book = CreateProduct("BINDER");
    ASSERT_NE(book, nullptr);
    SetSizes(*book, 150, 200, 30, 300, 500);
    // ceil(2 * 500 / 200) = 5 pixels per millimetre; top and bottom are
    // W x D, the right and left edges D x H.
    CEngineBackend backend;
    for (char code : {'u', 'd', 'r', 'l'}) backend.PreparePageEdge(*book, code);
    EXPECT_EQ((std::vector{PictureSize(*book, "u"), PictureSize(*book, "d"), PictureSize(*book, "r"), PictureSize(*book, "l")}),
              (std::vector<std::pair<int, int>>{{750, 150}, {750, 150}, {150, 1000}, {150, 1000}}));

    // A small product at a large rendering size stays at 16 pixels per mm.
    std::unique_ptr<CProduct> small = CreateProduct("BOOK");
    ASSERT_NE(small, nullptr);
    SetSizes(*small, 20, 25, 4, 999, 400);
    backend.PreparePageEdge(*small, 'u');
    EXPECT_EQ(PictureSize(*small, "u"), (std::pair{320, 64}));
}

TEST(Framing, ProductWithItsShadowIsCentredWithTheMarginAtAnyAspectRatio)
{
    for (const auto& [w, h] : {std::pair{300, 300}, {400, 300}}) {
        const std::unique_ptr<CProduct> box = RenderNewBox(w, h);
        const CRaster& z = *box->FindSidePtr("z")->GetPicture();
        // Bounds of every pixel the product or its shadow darkened.
        int minX = w, maxX = -1, minY = h, maxY = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (z.GetPixelColor(x, y).rgbRed < 255 || z.GetPixelColor(x, y).rgbBlue < 255) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        ASSERT_GE(maxX, 0);
        EXPECT_NEAR((minX + maxX + 1) / 2.0, w / 2.0, 0.02 * w) << w << " x " << h;
        EXPECT_NEAR((minY + maxY + 1) / 2.0, h / 2.0, 0.02 * h) << w << " x " << h;
        // The direction that limits the fit keeps 8% of the short side, 24 pixels.
        EXPECT_NEAR(std::min({minX, w - 1 - maxX, minY, h - 1 - maxY}), 24, 2) << w << " x " << h;
    }
}
