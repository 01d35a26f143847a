// The view a new project starts with: the camera above the table, lit faces,
// smooth textures and soft shadows at the product's scale.
#include "EngineTestUtil.h"

#include "catalogue/NewProject.h"
#include "catalogue/Product.h"
#include "engine3d/ModelRenderer.h"
#include "engine3d/RenderSurface.h"
#include "engine3d/Shading.h"
#include "engine3d/TextureSet.h"
#include "properties/SettingTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

using namespace enginetest;

namespace {

// A product of `kind` with the new-project view and its dimensions.
CModelDescription NewProjectDescription(const char* kind, double w, double h, double d)
{
    std::unique_ptr<CProduct> product = CreateProduct(kind);
    SettingStore& s = product->GetSettings();
    ApplyNewProjectView(s);
    s.SetReal(ModelKey(kSetProductWidth), w);
    s.SetReal(ModelKey(kSetProductHeight), h);
    s.SetReal(ModelKey(kSetProductDepth), d);
    return CModelDescription::FromProduct(*product);
}

// Renders a description with one plain picture per face code; returns the scratch picture.
struct CScene {
    CModelDescription desc;
    std::map<char, std::unique_ptr<CRaster>> faces;
    std::unique_ptr<CRaster> scratch = MakePicture(300, 300, RGB(255, 255, 255));
    std::unique_ptr<CRaster> alpha = MakePicture(300, 300, RGB(255, 255, 255));

    bool Render(const std::map<char, COLORREF>& colours)
    {
        CTextureSet textures;
        PrepareTextureSet(desc, textures);
        for (char code : GetFaceCodes(desc)) {
            const auto c = colours.find(code);
            faces[code] = MakePicture(16, 16, c != colours.end() ? c->second : RGB(255, 255, 255));
            textures.SetPicture(code, faces[code].get());
        }
        CProductModel model;
        std::string error;
        return model.Draw(desc, true, CModelArea{260, 20, 20}, textures, *scratch, *alpha, {}, &error);
    }
    int Count(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < scratch->GetHeight(); ++y)
            for (int x = 0; x < scratch->GetWidth(); ++x) n += Get(*scratch, x, y) == c;
        return n;
    }
};

} // namespace

TEST(PhotographLook, TopShowsAndBottomDoesNotForABoxABookAndABinder)
{
    struct SKind {
        const char* code;
        double w, h, d;
        char top, bottom;
    };
    // The largest dimensions the size pages allow for the tall kinds, so that
    // the eye is well below the top of the product.
    const SKind kinds[] = {{"BOX", 190, 260, 60, 'U', 'D'}, {"BOOK", 156, 234, 30, 'u', 'd'},
                           {"BINDER", 260, 300, 60, 'u', 'd'}};
    constexpr COLORREF kTopColour = RGB(0, 200, 0), kBottomColour = RGB(0, 0, 200);
    for (const SKind& k : kinds) {
        CScene scene;
        scene.desc = NewProjectDescription(k.code, k.w, k.h, k.d);
        // Unlit and nearest, so that every pixel inside a face has its exact colour.
        scene.desc.settings.shading = 0;
        scene.desc.settings.smoothTextures = false;
        scene.desc.settings.shadows = false;
        ASSERT_TRUE(scene.Render({{k.top, kTopColour}, {k.bottom, kBottomColour}})) << k.code;
        EXPECT_GT(scene.Count(kTopColour), 200) << k.code << ": the top face does not show";
        EXPECT_EQ(scene.Count(kBottomColour), 0) << k.code << ": the bottom face shows";
    }
}

TEST(PhotographLook, DefaultShadowCoversAnAreaWithASoftFringe)
{
    CScene lit, unlit;
    lit.desc = NewProjectDescription("BOX", 190, 260, 60);
    lit.desc.settings.shading = 0;
    unlit.desc = lit.desc;
    unlit.desc.settings.shadows = false;
    ASSERT_TRUE(lit.Render({}));
    ASSERT_TRUE(unlit.Render({}));
    // Shadow pixels: those the shadows changed. Under all 16 copies of "Best"
    // a white pixel ends near (255 + 128) / 2; under one copy it moves about
    // 10/256 of the way to the grey of 0x808080, that is by 5 levels.
    int area = 0, fringe = 0;
    std::set<int> levels;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            const COLORREF a = Get(*lit.scratch, x, y), b = Get(*unlit.scratch, x, y);
            if (a == b || b != RGB(255, 255, 255)) continue;
            ++area;
            const int level = GetRValue(a);
            levels.insert(level);
            if (level > 220) ++fringe; // lighter than the core by more than a few copies
        }
    // A shadow of a real area: at least 2% of the picture (a line one pixel
    // high along the product's width would be well under 1%).
    EXPECT_GT(area, 300 * 300 / 50);
    // Soft: many levels between the core and the white of the table, and a
    // fringe of at least a tenth of the shadow.
    EXPECT_GE(levels.size(), 8u);
    EXPECT_GT(fringe, area / 10);
}

TEST(PhotographLook, ShadingOrdersTheFacesAsTheLightSays)
{
    // Outward normals in table space of a box turned 30 degrees about y
    // (x' = cos a x + sin a z, z' = -sin a x + cos a z): front (0, 0, -1)
    // becomes (-sin 30, 0, -cos 30), right (1, 0, 0) becomes (cos 30, 0, -sin 30).
    const double s30 = 0.5, c30 = std::sqrt(3.0) / 2.0;
    struct SFace {
        char code;
        double nx, ny, nz;
        int channel; // 0 blue, 1 green, 2 red: the only non-zero channel of its colour
    };
    const SFace faces[] = {{'F', -s30, 0.0, -c30, 2}, {'R', c30, 0.0, -s30, 1}, {'U', 0.0, 1.0, 0.0, 0}};
    struct SLight {
        int i, j;
    };
    for (const SLight light : {SLight{2, 0}, SLight{0, -2}, SLight{-1, -2}}) {
        // Expected order: by the cosine between the outward normal and the
        // direction towards the light (0.5 i, 1, 0.5 j), faces turned away all 0.
        const double lx = 0.5 * light.i, ly = 1.0, lz = 0.5 * light.j;
        std::vector<std::pair<double, char>> expected;
        for (const SFace& f : faces)
            expected.push_back({std::max(0.0, f.nx * lx + f.ny * ly + f.nz * lz), f.code});
        std::sort(expected.rbegin(), expected.rend());
        ASSERT_NE(expected[0].first, expected[1].first);
        ASSERT_NE(expected[1].first, expected[2].first);

        CScene scene;
        scene.desc = NewProjectDescription("BOX", 190, 260, 60);
        scene.desc.settings.shadows = false;
        scene.desc.settings.shading = 100;
        scene.desc.settings.lights = 1u << ((light.i + 2) + 5 * (light.j + 2)); // bit of the light at (i, j)
        ASSERT_TRUE(scene.Render({{'F', RGB(255, 0, 0)}, {'R', RGB(0, 255, 0)}, {'U', RGB(0, 0, 255)}}));
        // The brightest value of each face's channel among pixels of that face alone.
        std::map<char, int> bright;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) {
                const std::uint8_t* p = scene.scratch->GetBits(y) + 3 * x;
                for (const SFace& f : faces) {
                    const int others = p[0] + p[1] + p[2] - p[f.channel];
                    if (others == 0 && p[f.channel] > 0) bright[f.code] = std::max(bright[f.code], int(p[f.channel]));
                }
            }
        EXPECT_GT(bright[expected[0].second], bright[expected[1].second])
            << "light " << light.i << "," << light.j;
        EXPECT_GT(bright[expected[1].second], bright[expected[2].second])
            << "light " << light.i << "," << light.j;
        // A face turned straight at the light keeps its colour; one turned
        // away keeps the ambient share.
        EXPECT_NEAR(FaceShade(lx, ly, lz, scene.desc.settings.lights, 100), 1.0, 1e-12);
        EXPECT_NEAR(FaceShade(-lx, -ly, -lz, scene.desc.settings.lights, 100), kShadingAmbient, 1e-12);
    }
}

TEST(PhotographLook, StripesAtAnAngleHaveNoBeatWithSmoothSampling)
{
    // A face of one-pixel vertical stripes (black, white, ...) in a plane that
    // recedes to the right: its left edge at depth 2, its right edge at depth 5.
    // Seen through the picture the stripes get narrower than a pixel towards
    // the right. Nearest texels then beat against the sample grid: the mean of
    // a picture column swings between dark and light. Smoothly sampled, every
    // column is close to the mean grey of the stripes.
    auto stripes = MakePicture(512, 64, RGB(255, 255, 255));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 512; x += 2) Set(*stripes, x, y, RGB(0, 0, 0));
    auto vertex = [](double x, double y, double z) {
        CVertex3D v = MakeVertex(x, y, z);
        v.sx = 100.0 * x / z + 100.0;
        v.sy = 100.0 * y / z + 100.0;
        return v;
    };
    CPolygon3D face = CPolygon3D::Quad(vertex(-1, 1, 2), vertex(-1, -1, 2), vertex(3, -1, 5), vertex(3, 1, 5), 'F');
    face.ComputePlane();
    CFitContext fit; // picture = 100 * projected + 100
    fit.scale = 100.0;
    fit.invScale = 0.01;
    fit.minX = -1.0;
    fit.minY = -1.0;
    fit.originX = 0.0;
    fit.originY = 0.0;

    auto columnSpread = [&](bool smooth) {
        auto target = MakePicture(200, 200, RGB(255, 0, 0));
        auto surface = CRenderSurface::Create(*target);
        surface->SetFit(fit);
        CTextureSet textures;
        textures.SetPicture('F', stripes.get());
        textures.smooth = smooth;
        EXPECT_TRUE(textures.BuildLevels());
        surface->DrawTexturedQuad(static_cast<int>(std::lround(face.vertices[0].sx)),
                                  static_cast<int>(std::lround(face.vertices[0].sy)),
                                  static_cast<int>(std::lround(face.vertices[1].sx)),
                                  static_cast<int>(std::lround(face.vertices[1].sy)),
                                  static_cast<int>(std::lround(face.vertices[2].sx)),
                                  static_cast<int>(std::lround(face.vertices[2].sy)),
                                  static_cast<int>(std::lround(face.vertices[3].sx)),
                                  static_cast<int>(std::lround(face.vertices[3].sy)), &textures, 'F', face,
                                  nullptr, 25, false);
        // Means of the columns over the rows every column of the face covers
        // (the face spans rows 80 .. 120 at its far edge).
        double lo = 255.0, hi = 0.0;
        for (int x = 60; x <= 155; ++x) {
            double sum = 0.0;
            for (int y = 90; y <= 110; ++y) sum += GetGValue(Get(*target, x, y));
            lo = std::min(lo, sum / 21.0);
            hi = std::max(hi, sum / 21.0);
        }
        return hi - lo;
    };
    // Nearest texels: the test sees the beat (otherwise it could not tell).
    EXPECT_GT(columnSpread(false), 40.0);
    // Smooth: every column within a few levels of the same grey.
    EXPECT_LT(columnSpread(true), 12.0);
}
