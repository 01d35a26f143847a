// The highlight band of glossy finishes and the framing of a reflected product.
#include "EngineTestUtil.h"

#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "engine3d/light/HighlightBand.h"
#include "engine3d/sampling/TextureSet.h"
#include "engine3d/surface/ModelRenderer.h"
#include "properties/settings/SettingTable.h"

using namespace enginetest;

namespace {

CModelDescription NewBox(bool reflection)
{
    std::unique_ptr<CProduct> product = CreateProduct("BOX");
    SettingStore& s = product->GetSettings();
    ApplyNewProjectView(s);
    s.SetReal(ModelKey(kSetProductWidth), 190);
    s.SetReal(ModelKey(kSetProductHeight), 260);
    s.SetReal(ModelKey(kSetProductDepth), 60);
    s.SetInt(ModelKey(kSetReflection), reflection ? 1 : 0);
    return CModelDescription::FromProduct(*product);
}

} // namespace

TEST(HighlightBand, TheBandLiesWhereTheFaceMirrorsTheStripAndMatteHasNone)
{
    // A face in the plane z = 0, x from -1 to 1, facing the eye at (0, 1, -10);
    // the strip stands at x = 1, z = -4. Its mirror image stands at z = 4, and
    // the line from the eye to it crosses the face at x = 10/14: the band's
    // centre. The image's half width h shows as h * 10/14 on the face.
    CBandScene scene;
    scene.eye[1] = 1.0, scene.eye[2] = -10.0;
    scene.strip[0] = 1.0, scene.strip[2] = -4.0;
    scene.halfWidth = 0.3, scene.radiance = 8.0;
    CPolygon3D face = CPolygon3D::Quad(MakeVertex(-1, 2, 0), MakeVertex(-1, 0, 0), MakeVertex(1, 0, 0),
                                       MakeVertex(1, 2, 0), 'F');
    face.ComputePlane();
    SetFaceHighlight(face, scene, 2, 1.0);
    const CPolygon3D::CHighlight& h = face.highlight;
    ASSERT_GT(h.peak, 0.0);
    const double centreU = 0.5 - h.at / h.atU; // u = (x + 1) / 2
    EXPECT_NEAR(2.0 * centreU - 1.0, 10.0 / 14.0, 0.02);
    EXPECT_NEAR(std::abs(h.atU) * (0.3 * 10.0 / 14.0) / 2.0, 1.0, 0.05);
    EXPECT_NEAR(h.atV, 0.0, 1e-9); // a vertical strip: the band runs up the face

    // Fresnel: the same face seen at a grazing angle has more sheen.
    CPolygon3D turned = face;
    const double a = 75 * std::acos(-1.0) / 180;
    for (CVertex3D& v : turned.vertices) v.z = -v.x * std::sin(a), v.x *= std::cos(a);
    turned.ComputePlane();
    SetFaceHighlight(turned, scene, 2, 1.0);
    EXPECT_GT(turned.specular, 2.0 * face.specular);

    SetFaceHighlight(face, scene, 0, 1.0); // "Matte"
    EXPECT_EQ(face.specular, 0.0);
    EXPECT_FALSE(face.highlight.Varies());
}

TEST(HighlightBand, AGlossyFrontShowsABandAMatteOneNone)
{
    // A pure red front: the highlight lifts all channels alike, so its green
    // channel is the highlight alone (0 where there is none).
    for (int finish : {0, 2}) {
        CModelDescription desc = NewBox(false);
        desc.settings.shadows = false;
        desc.settings.finish = finish;
        CTextureSet textures;
        PrepareTextureSet(desc, textures);
        std::map<char, std::unique_ptr<CRaster>> faces;
        for (char code : GetFaceCodes(desc)) {
            faces[code] = MakePicture(16, 16, code == 'F' ? RGB(160, 0, 0) : RGB(0, 0, 160));
            textures.SetPicture(code, faces[code].get());
        }
        auto scratch = MakePicture(300, 300, RGB(255, 255, 255)), alpha = MakePicture(300, 300, RGB(255, 255, 255));
        CProductModel model;
        ASSERT_TRUE(model.Draw(desc, true, CModelArea{260, 20, 20}, textures, *scratch, *alpha, {}, nullptr));
        auto front = [&](int x, int y) {
            const COLORREF c = Get(*scratch, x, y);
            return GetRValue(c) > GetGValue(c) + 30 && GetGValue(c) == GetBValue(c);
        };
        int lo = 255, hi = -1;
        for (int y = 2; y < 298; ++y)
            for (int x = 2; x < 298; ++x)
                if (front(x, y) && front(x - 2, y) && front(x + 2, y) && front(x, y - 2) && front(x, y + 2))
                    lo = std::min(lo, int(GetGValue(Get(*scratch, x, y)))), hi = std::max(hi, int(GetGValue(Get(*scratch, x, y))));
        ASSERT_GE(hi, 0) << "finish " << finish;
        if (finish == 0) EXPECT_EQ(hi, 0);
        else EXPECT_GT(hi, 2 * lo + 40) << lo << " .. " << hi;
    }
}

TEST(Framing, AFramedProductWithItsReflectionStaysWhereItIsWithout)
{
    // The reflection runs below the product and out of the picture: the
    // product and its shadow are fitted as without it (then centred, see
    // the Framing test of the render pipeline).
    auto fitOf = [](bool reflection, bool reflectionFraming) {
        CModelDescription desc = NewBox(reflection);
        desc.settings.reflectionFraming = reflectionFraming;
        CProductModel model;
        CFitContext fit;
        EXPECT_TRUE(model.Prepare(desc, true, CModelArea{260, 20, 20, 260, 200}, fit, nullptr));
        return fit;
    };
    const CFitContext plain = fitOf(false, true), framed = fitOf(true, true), old = fitOf(true, false);
    EXPECT_DOUBLE_EQ(framed.scale, plain.scale);
    EXPECT_DOUBLE_EQ(framed.originX, plain.originX);
    EXPECT_DOUBLE_EQ(framed.originY, plain.originY);
    EXPECT_LT(old.scale, 0.9 * plain.scale); // counting the reflection shrank the product
}
