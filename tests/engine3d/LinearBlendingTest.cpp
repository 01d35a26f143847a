// Mixing in linear light: the reflection's fade and the soft edges' outline
// pixels, against the sRGB curve's own formula.
#include "EngineTestUtil.h"

#include "engine3d/light/Reflection.h"
#include "engine3d/sampling/TextureSet.h"
#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/surface/RenderSurface.h"

using namespace enginetest;

TEST(LinearBlending, ReflectionOfMidGreyAtHalfFadeOverWhite)
{
    auto target = MakePicture(8, 8, RGB(255, 255, 255));
    auto layer = MakePicture(8, 8, RGB(128, 128, 128));
    CBoundingBox box;
    box.Add(0, 0);
    box.Add(7, 7);
    // Both fades 128: every row keeps 12800 / 25500 of the picture.
    ASSERT_TRUE(BlendReflectionLayer(*layer, *target, 128, 128, false, box, 0, 0, true));
    const double keep = 12800.0 / 25500.0;
    EXPECT_NEAR(GetRValue(Get(*target, 3, 3)), 255 * Encode(keep + (1.0 - keep) * Decode(128 / 255.0)), 1.0); // 205, not 191
}

TEST(LinearBlending, OutlinePixelMixesWhiteAndABlackFaceInLinearLight)
{
    auto target = MakePicture(64, 16, RGB(255, 255, 255));
    auto surface = CRenderSurface::Create(*target);
    surface->SetFit(UnitFit());
    auto black = MakePicture(4, 4, RGB(0, 0, 0));
    CTextureSet textures;
    textures.SetPicture('F', black.get());
    CDrawOptions opt;
    opt.soften = true;
    // Pixel 60's sub-samples lie at 59.6 .. 60.4: the columns 59.6 and 59.8,
    // 10 of its 25, fall on the face, which ends at 59.9.
    CPolygon3D face = FlatFace(44.1, 0.1, 59.9, 15.9, 'F');
    surface->ClearSoftening();
    DrawPolygon(face, *surface, opt, &textures, nullptr);
    surface->ResolvePartialPixels(25, true);
    EXPECT_NEAR(GetRValue(Get(*target, 60, 8)), 255 * Encode(15.0 / 25.0), 1.0); // 205, not 153
}
