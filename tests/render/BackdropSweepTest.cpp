// The backdrop sweep against the light applied pixel by pixel.

#include "image/colour/SrgbTables.h"
#include "PixelTestUtil.h"
#include "render/effects/BackdropSweep.h"

namespace {

CPixelBuffer Band(int w, int h, std::uint32_t colour, bool varied)
{
    std::mt19937 rng(7);
    CPixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.Set(x, y, varied ? rng() & 0xFFFFFF : colour);
    return b;
}

}  // namespace

// The sweep's shortcuts for one-colour rows (a grey encoded once, the right
// half mirrored, equal rows copied) against the light applied pixel by pixel.
TEST(BackdropSweep, OneColourRowsMatchThePerPixelLight)
{
    const CSrgbTables& t = SrgbTables();
    struct Case { int w, h, firstRow, pictureW, pictureH; std::uint32_t colour; bool varied; };
    for (const Case& c : {Case{9, 40, 0, 9, 40, 0xFFFFFF, false}, Case{10, 12, 20, 10, 40, Rgb(244, 239, 228), false},
                          Case{7, 12, 5, 10, 40, Rgb(90, 30, 200), false}, Case{37, 6, 30, 37, 40, 0, true},
                          Case{1201, 3, 30, 1201, 40, 0xFFFFFF, false}, Case{1000, 2, 25, 1000, 40, Rgb(244, 239, 228), false}}) {
        CPixelBuffer band = Band(c.w, c.h, c.colour, c.varied);
        const CPixelBuffer before = band;
        ApplyBackdropSweep(band.View(), c.firstRow, c.pictureW, c.pictureH);
        if (!c.varied) { // filled under the light at once: the same pixels
            CPixelBuffer filled(c.w, c.h);
            FillBackdropSweep(filled.View(), c.firstRow, c.pictureW, c.pictureH, c.colour);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) ASSERT_EQ(filled.Get(x, y), band.Get(x, y)) << c.w << " at " << x << ", " << y;
        }
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const float light = static_cast<float>(SweepRowLight(c.firstRow + y, c.pictureH)) *
                                    static_cast<float>(SweepColumnLight(x, c.pictureW));
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(Channel(band.Get(x, y), ch), t.Encode(t.decode[Channel(before.Get(x, y), ch)] * light))
                        << c.w << " x " << c.h << " at " << x << ", " << y;
            }
    }
}
