// The view a new project starts with: the camera above the table, lit faces
// and soft shadows at the product's scale (its smooth sampling is held by the
// stored projects of that look and by TextureLevels); the highlight band
// of glossy finishes and the framing of a reflected product.
#include "EngineTestUtil.h"

#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "engine3d/surface/ModelRenderer.h"
#include "engine3d/light/HighlightBand.h"
#include "engine3d/light/Shading.h"
#include "engine3d/light/StudioLighting.h"
#include "engine3d/sampling/TextureSet.h"
#include "engine3d/surface/FaceShade.h"
#include "properties/settings/SettingTable.h"

#include <bit>
#include <map>
#include <set>

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
    // A product of `kind` shaded `shading` percent (-1: as a new project is),
    // without shadows unless asked.
    CScene(const char* kind, double w, double h, double d, int shading = -1, bool shadows = false)
        : desc(NewProjectDescription(kind, w, h, d))
    {
        if (shading >= 0) desc.settings.shading = shading;
        desc.settings.shadows = shadows;
    }
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
    // f(x, y, p) for every pixel of the scratch picture, p its blue, green and red.
    template <class F> void EachPixel(F f) const
    {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) f(x, y, scratch->GetBits(y) + 3 * x);
    }
    int Count(COLORREF c) const
    {
        int n = 0;
        EachPixel([&](int, int, const std::uint8_t* p) { n += RGB(p[2], p[1], p[0]) == c; });
        return n;
    }
};

// Outward normals in table space of the box turned 30 degrees about y
// (x' = cos a x + sin a z, z' = -sin a x + cos a z): front (0, 0, -1) becomes
// (-sin 30, 0, -cos 30), right (1, 0, 0) becomes (cos 30, 0, -sin 30).
struct SFace {
    char code;
    double nx, ny, nz;
    int channel; // 0 blue, 1 green, 2 red: the only non-zero channel of its colour
};
const SFace kTurnedFaces[] = {
    {'F', -0.5, 0.0, -std::sqrt(3.0) / 2.0, 2}, {'R', std::sqrt(3.0) / 2.0, 0.0, -0.5, 1}, {'U', 0.0, 1.0, 0.0, 0}};

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
        // Unlit and nearest, so that every pixel inside a face has its exact colour.
        CScene scene(k.code, k.w, k.h, k.d, 0);
        scene.desc.settings.smoothTextures = false;
        ASSERT_TRUE(scene.Render({{k.top, kTopColour}, {k.bottom, kBottomColour}})) << k.code;
        EXPECT_GT(scene.Count(kTopColour), 200) << k.code << ": the top face does not show";
        EXPECT_EQ(scene.Count(kBottomColour), 0) << k.code << ": the bottom face shows";
    }
}

TEST(PhotographLook, StudioShadowIsDarkestWhereTheProductStandsAndHasNoBands)
{
    CScene scene("BOX", 190, 260, 60, 0, true);
    std::map<char, COLORREF> blue;
    for (char code : std::string("FURDL")) blue[code] = RGB(0, 0, 200);
    ASSERT_TRUE(scene.Render(blue));
    // Product pixels are bluish, shadow pixels grey (the shadow colour is grey).
    constexpr int W = 300, kFar = 1 << 20;
    std::vector<int> level(W * W, -1), dist(W * W, kFar);
    for (int y = 0; y < W; ++y)
        for (int x = 0; x < W; ++x) {
            const COLORREF c = Get(*scene.scratch, x, y);
            if (GetBValue(c) > GetRValue(c) + 20) dist[y * W + x] = 0;
            else if (GetRValue(c) == GetBValue(c) && GetRValue(c) < 255) level[y * W + x] = GetRValue(c);
        }
    // Distance to the product in pixels (city-block, two passes).
    for (int y = 0; y < W; ++y)
        for (int x = 0; x < W; ++x) {
            int& d = dist[y * W + x];
            if (x > 0) d = std::min(d, dist[y * W + x - 1] + 1);
            if (y > 0) d = std::min(d, dist[(y - 1) * W + x] + 1);
        }
    for (int y = W - 1; y >= 0; --y)
        for (int x = W - 1; x >= 0; --x) {
            int& d = dist[y * W + x];
            if (x < W - 1) d = std::min(d, dist[y * W + x + 1] + 1);
            if (y < W - 1) d = std::min(d, dist[(y + 1) * W + x] + 1);
        }
    int far = 0, count = 0;
    for (int i = 0; i < W * W; ++i)
        if (level[i] >= 0) far = std::max(far, dist[i]), ++count;
    ASSERT_GT(count, 300);
    int nearMin = 255, farMin = 255, steepest = 0;
    for (int i = 0; i < W * W; ++i) {
        if (level[i] < 0) continue;
        if (dist[i] <= 2) nearMin = std::min(nearMin, level[i]);
        if (dist[i] >= 0.8 * far) farMin = std::min(farMin, level[i]);
        // No bands: in the far half of the shadow, where the penumbra is wide,
        // neighbouring pixels differ by a few levels (stacked copies of a fixed
        // spread left steps of up to 17 there).
        if (i % W < W - 1 && level[i + 1] >= 0 && 2 * dist[i] >= far && 2 * dist[i + 1] >= far)
            steepest = std::max(steepest, std::abs(level[i] - level[i + 1]));
    }
    // Darker at the base than anywhere near the far end of the shadow.
    EXPECT_LT(nearMin + 30, farMin);
    EXPECT_LE(steepest, 12);
}

TEST(PhotographLook, ShadingOrdersTheFacesAsTheLightSays)
{
    struct SLight {
        int i, j;
    };
    for (const SLight light : {SLight{2, 0}, SLight{0, -2}, SLight{-1, -2}}) {
        // Expected order: by the cosine between the outward normal and the
        // direction towards the light (0.5 i, 1, 0.5 j), faces turned away all 0.
        const double lx = 0.5 * light.i, ly = 1.0, lz = 0.5 * light.j;
        std::vector<std::pair<double, char>> expected;
        for (const SFace& f : kTurnedFaces)
            expected.push_back({std::max(0.0, f.nx * lx + f.ny * ly + f.nz * lz), f.code});
        std::sort(expected.rbegin(), expected.rend());
        ASSERT_NE(expected[0].first, expected[1].first);
        ASSERT_NE(expected[1].first, expected[2].first);

        CScene scene("BOX", 190, 260, 60, 100);
        scene.desc.settings.lighting = 0; // the faces lit by the shadow lights
        scene.desc.settings.lights = 1u << ((light.i + 2) + 5 * (light.j + 2)); // bit of the light at (i, j)
        ASSERT_TRUE(scene.Render({{'F', RGB(255, 0, 0)}, {'R', RGB(0, 255, 0)}, {'U', RGB(0, 0, 255)}}));
        // The brightest value of each face's channel among pixels of that face alone.
        std::map<char, int> bright;
        scene.EachPixel([&](int, int, const std::uint8_t* p) {
            for (const SFace& f : kTurnedFaces)
                if (p[0] + p[1] + p[2] == p[f.channel] && p[f.channel] > 0)
                    bright[f.code] = std::max(bright[f.code], int(p[f.channel]));
        });
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

TEST(PhotographLook, StudioLightingIsLambertInLinearLightAndFavoursTheFront)
{
    // Each face has 128 in one channel only, so that its pixels are told
    // apart and each channel is shaded on its own. A finish adds the same
    // linear light to every channel, so a face's other two channels stay equal.
    const double e = 20 * std::acos(-1.0) / 180; // towards the eye: the new-project camera looks down 20 degrees
    for (int preset : {1, 2, 3})
        for (int finish : {0, 2}) {
            const CLightingPreset* p = FindLightingPreset(preset);
            ASSERT_NE(p, nullptr);
            CScene scene("BOX", 190, 260, 60, 100);
            scene.desc.settings.lighting = preset;
            scene.desc.settings.finish = finish;
            scene.desc.settings.highlightBand = false; // one highlight per face
            ASSERT_TRUE(scene.Render({{'F', RGB(128, 0, 0)}, {'R', RGB(0, 128, 0)}, {'U', RGB(0, 0, 128)}}));
            std::map<char, std::map<int, int>> seen; // face -> value -> pixels
            scene.EachPixel([&](int, int, const std::uint8_t* px) {
                for (const SFace& f : kTurnedFaces)
                    if (px[(f.channel + 1) % 3] == px[(f.channel + 2) % 3] && px[f.channel] > px[(f.channel + 1) % 3])
                        ++seen[f.code][px[f.channel]];
            });
            std::map<char, int> value;
            for (const SFace& f : kTurnedFaces) {
                // Lambert: ambient + sum of intensity * max(0, cos) over the lights, at most 1.
                double light = p->ambient;
                for (const CStudioLight& l : p->lights) {
                    const double len = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
                    if (len > 0) light += l.intensity * std::max(0.0, (f.nx * l.x + f.ny * l.y + f.nz * l.z) / len);
                }
                const double gloss = FinishSpecular(f.nx, f.ny, f.nz, 0, std::sin(e), -std::cos(e), *p, finish);
                const double linear = std::min(light, 1.0) * Decode(128 / 255.0) + gloss;
                const int expected = static_cast<int>(std::lround(255 * Encode(std::min(linear, 1.0))));
                const auto mode = std::max_element(seen[f.code].begin(), seen[f.code].end(),
                                                   [](auto a, auto b) { return a.second < b.second; });
                ASSERT_NE(mode, seen[f.code].end()) << preset << " " << f.code;
                value[f.code] = mode->first;
                EXPECT_NEAR(mode->first, expected, 3) << "preset " << preset << " finish " << finish << " face " << f.code;
            }
            EXPECT_GT(value['F'], std::min(value['R'], value['U'])) << "preset " << preset << ": the front is the darkest";
        }
}

TEST(PhotographLook, AGlossySurfaceMirrorsTheKeyLightAndAMatteOneNothing)
{
    // The normal halfway between the key light and the eye mirrors the key
    // light into the eye; turned 30 degrees further it mirrors beside it.
    const CLightingPreset& p = *FindLightingPreset(1);
    const double e = 20 * std::acos(-1.0) / 180, v[3] = {0, std::sin(e), -std::cos(e)};
    const CStudioLight& k = p.lights[0];
    const double kl = std::sqrt(k.x * k.x + k.y * k.y + k.z * k.z);
    double h[3] = {k.x / kl + v[0], k.y / kl + v[1], k.z / kl + v[2]};
    const double hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    for (double& c : h) c /= hl;
    const double a = 30 * std::acos(-1.0) / 180; // about the y axis
    const double t[3] = {std::cos(a) * h[0] + std::sin(a) * h[2], h[1], -std::sin(a) * h[0] + std::cos(a) * h[2]};
    auto spec = [&](const double* n, int finish) { return FinishSpecular(n[0], n[1], n[2], v[0], v[1], v[2], p, finish); };
    EXPECT_EQ(spec(h, 0), 0.0);
    EXPECT_EQ(spec(t, 0), 0.0);
    EXPECT_GT(spec(h, 1), 0.0);
    EXPECT_GT(spec(h, 2), spec(h, 1));
    EXPECT_GT(spec(h, 2), 2 * spec(t, 2));
}

TEST(PhotographLook, NoBackgroundBetweenFacesSharpOrRounded)
{
    // Faces of 0x65 and 0x72 on white, softened: a pixel between two product
    // pixels (two columns or two rows away) blends those faces and nothing
    // else, so it is never lighter than the lighter face. Scanning a face only
    // between its rounded corners missed pixels its outline crosses, which
    // then kept part of the white behind.
    for (int radius : {0, 6}) {
        CScene scene("BOX", 190, 260, 60, 0);
        scene.desc.settings.exactOutlines = true;
        scene.desc.settings.edgeRadius = radius;
        ASSERT_TRUE(scene.Render({{'F', RGB(0x65, 0x65, 0x65)}, {'R', RGB(0x72, 0x72, 0x72)},
                                  {'U', RGB(0x72, 0x72, 0x72)}, {'L', RGB(0x65, 0x65, 0x65)},
                                  {'D', RGB(0x72, 0x72, 0x72)}})); // the bottom's rounding shows from above
        auto product = [&](int x, int y) { return GetRValue(Get(*scene.scratch, x, y)) <= 0x72; };
        int inside = 0, light = 0;
        for (int y = 2; y < 298; ++y)
            for (int x = 2; x < 298; ++x) {
                if (!(product(x - 2, y) && product(x + 2, y)) && !(product(x, y - 2) && product(x, y + 2))) continue;
                ++inside;
                light += GetRValue(Get(*scene.scratch, x, y)) > 0x72;
            }
        EXPECT_GT(inside, 20000) << "radius " << radius;
        EXPECT_EQ(light, 0) << "radius " << radius;
    }
}

TEST(PhotographLook, APictureOnTheCdRomShowsOnlyOnTheDisc)
{
    // A square picture on the disc: the disc covers pi (1/4 - h^2) of the
    // square face (radius 1/2, hole h = 40/693 of the picture), so the share
    // of the square's pixels that show it is that, and the corners are background.
    auto redPixels = [](bool disc) {
        CScene scene("CD", 124, 124, 1, 0);
        scene.desc.settings.exactOutlines = disc;
        EXPECT_TRUE(scene.Render({{'C', RGB(255, 0, 0)}}));
        int n = 0;
        scene.EachPixel([&](int, int, const std::uint8_t* p) { n += p[2] > p[1] + 127; }); // more than half covered
        return n;
    };
    const double h = 40.0 / 693.0, pi = 3.14159265358979;
    const int square = redPixels(false);
    ASSERT_GT(square, 10000);
    EXPECT_NEAR(static_cast<double>(redPixels(true)) / square, pi * (0.25 - h * h), 0.02);
}

TEST(PhotographLook, TheKeyLightFallsOffAcrossTheFront)
{
    // The key light of "Studio" shines from the upper left front, so the
    // front's top-left corner is nearer to it than its bottom-right corner.
    for (int falloff : {0, 30}) {
        CScene scene("BOX", 190, 260, 60, 100);
        scene.desc.settings.lighting = 1;
        scene.desc.settings.falloff = falloff;
        ASSERT_TRUE(scene.Render({{'F', RGB(128, 0, 0)}, {'R', RGB(0, 128, 0)}, {'U', RGB(0, 0, 128)}}));
        // The front's pixels with the smallest and the largest x - y (y up).
        int topLeft = 0, bottomRight = 0, lo = 1 << 20, hi = -(1 << 20);
        scene.EachPixel([&](int x, int y, const std::uint8_t* px) {
            if (px[0] != 0 || px[1] != 0 || px[2] == 0) return;
            if (x - y < lo) lo = x - y, topLeft = px[2];
            if (x - y > hi) hi = x - y, bottomRight = px[2];
        });
        if (falloff == 0) EXPECT_NEAR(topLeft, bottomRight, 1);
        else EXPECT_GT(topLeft, bottomRight + 8);
    }
}

TEST(PhotographLook, LinearShadeTablesGiveTheLevelsOfTheSrgbFormula)
{
    auto level = [](double x) { return static_cast<int>(std::lround(std::clamp(Encode(x), 0.0, 1.0) * 255)); };
    for (double light = -0.1; light < 1.3; light += 0.0173)
        for (double specular : {0.0, 0.004, 0.25}) {
            const CLinearShadeTable table = MakeLinearShadeTable(light, specular);
            for (int v = 0; v < 256; v += 5)
                ASSERT_EQ(table[static_cast<std::size_t>(v)], level(light * Decode(v / 255.0) + specular)) << light << " " << v;
        }
    // A white texel (linear 1) under light x is x itself: around each level's edge.
    for (int k = 1; k < 256; ++k)
        for (double x = Decode((k - 0.5) / 255.0) * (1 - 1e-9); x < Decode((k - 0.5) / 255.0) * (1 + 1e-9); x *= 1 + 1e-10)
            ASSERT_EQ(MakeLinearShadeTable(x, 0.0)[255], level(x)) << k;
}

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
        CScene scene("BOX", 190, 260, 60);
        scene.desc.settings.finish = finish;
        std::map<char, COLORREF> colours;
        for (char code : GetFaceCodes(scene.desc)) colours[code] = code == 'F' ? RGB(160, 0, 0) : RGB(0, 0, 160);
        ASSERT_TRUE(scene.Render(colours));
        auto front = [&](int x, int y) {
            const COLORREF c = Get(*scene.scratch, x, y);
            return GetRValue(c) > GetGValue(c) + 30 && GetGValue(c) == GetBValue(c);
        };
        int lo = 255, hi = -1;
        scene.EachPixel([&](int x, int y, const std::uint8_t* p) {
            if (x >= 2 && y >= 2 && x < 298 && y < 298 && front(x, y) && front(x - 2, y) && front(x + 2, y) &&
                front(x, y - 2) && front(x, y + 2))
                lo = std::min(lo, int(p[1])), hi = std::max(hi, int(p[1]));
        });
        ASSERT_GE(hi, 0) << "finish " << finish;
        if (finish == 0) EXPECT_EQ(hi, 0);
        else EXPECT_GT(hi, 2 * lo + 40) << lo << " .. " << hi;
    }
}

TEST(HighlightBand, RunsGiveThePixelByPixelLightAndLevels)
{
    // Faces in perspective with a band, light falling off steeply: every
    // pixel of random runs, then pixels whose light or lift is moved to
    // within a few steps of a double from the midpoint of two floats, where
    // a quicker quotient would round the other way.
    std::mt19937 rng(20261209);
    std::uniform_real_distribution<double> c(-1.0, 1.0);
    for (int trial = 0; trial < 300; ++trial) {
        CQuadMapping m;
        m.cx = 2e-3 * c(rng), m.cy = 2e-3 * c(rng), m.c0 = 1.0 + 0.2 * c(rng);
        m.ax = 1e-3 * c(rng), m.ay = (1.0 + 0.2 * c(rng)) / 200, m.a0 = 0.1 * c(rng);
        m.bx = (1.0 + 0.2 * c(rng)) / 200, m.by = 1e-3 * c(rng), m.b0 = 0.1 * c(rng);
        CPolygon3D p;
        p.linearShade = true;
        p.shade = 0.3 * c(rng), p.shadeU = 3.0 * c(rng), p.shadeV = 3.0 * c(rng), p.specular = 0.1 * c(rng);
        p.highlight = {.sheenU = 0.5 * c(rng), .sheenV = 0.5 * c(rng), .peak = 4.0 + c(rng), .at = 1.5 * c(rng),
                       .atU = 3.0 * c(rng), .atV = c(rng), .softness = trial % 2 ? 0.25 : 0.45};
        auto check = [&](const CPolygon3D& face, int x, int y, int n) {
            const CFaceShade s(face, m);
            ASSERT_TRUE(s.banded);
            float light[64], lift[64];
            s.LightRun(x, y, n, light, lift);
            std::uint8_t bgr[3 * 64], lit[3 * 64], unlifted[3 * 64];
            for (int i = 0; i < 3 * n; ++i) bgr[i] = lit[i] = unlifted[i] = static_cast<std::uint8_t>(rng());
            s.LitPixels(lit, n, light, lift);
            LitPixels(unlifted, n, light, nullptr); // as a lift of zero
            for (int i = 0; i < 3 * n; ++i) {
                ASSERT_EQ(lit[i], s.Lit(bgr[i], light[i / 3], lift[i / 3])) << i;
                ASSERT_EQ(unlifted[i], s.Lit(bgr[i], light[i / 3], 0.0f)) << i;
            }
            for (int i = 0; i < n; ++i) {
                double u, v;
                const auto l = static_cast<float>(s.LightAt(x + i, y, u, v));
                const auto f = static_cast<float>(s.HighlightAt(u, v));
                ASSERT_EQ(std::bit_cast<std::uint32_t>(light[i]), std::bit_cast<std::uint32_t>(l))
                    << trial << ": " << x + i << "," << y;
                ASSERT_EQ(std::bit_cast<std::uint32_t>(lift[i]), std::bit_cast<std::uint32_t>(f))
                    << trial << ": " << x + i << "," << y;
            }
        };
        for (int row = 0; row < 8; ++row)
            check(p, static_cast<int>(rng() % 150), static_cast<int>(rng() % 200), row % 2 ? 61 : 64);
        { // four rows at once, as the pixels of uneven blocks, and a row at a time
            const CFaceShade s(p, m);
            std::vector<std::uint8_t> rows(4 * 360), each;
            for (std::uint8_t& b : rows) b = static_cast<std::uint8_t>(rng());
            each = rows;
            const int x = 30 + static_cast<int>(rng() % 20), y = 30 + static_cast<int>(rng() % 120);
            s.ApplyRows(rows.data(), 360, 120, x, y, 4);
            for (int r = 0; r < 4; ++r) s.Apply(&each[360 * static_cast<std::size_t>(r)], 120, x, y + r);
            ASSERT_EQ(rows, each) << trial;
        }
        { // pixels of different rows lit together, as a face's edge pixels are, and one at a time
            const CFaceShade s(p, m);
            CEdgePixels edges;
            CPixelSamples each[61];
            for (CPixelSamples& e : each) {
                e.count = 1 + static_cast<int>(rng() % 100);
                for (std::uint32_t& v : e.sum) v = static_cast<std::uint32_t>(rng() % (255 * e.count + 1));
                edges.Add(static_cast<int>(rng() % 200), static_cast<int>(rng() % 200), e);
            }
            int k = 0;
            edges.Flush(s, 7, [&](int x, int y, const CPixelSamples& lit) {
                s.Apply(each[k], x, y + 7);
                for (int c = 0; c < 3; ++c) ASSERT_EQ(lit.sum[c], each[k].sum[c]) << trial << ": " << x << "," << y;
                ++k;
            });
        }
        // The light (the lift) moved to k double steps from the nearest
        // midpoint by its constant term; the pixel in each place of a group.
        auto midpoint = [](double e) {
            const double f = static_cast<float>(e);
            const double next = std::nextafter(static_cast<float>(e), e < f ? -HUGE_VALF : HUGE_VALF);
            return 0.5 * (f + next);
        };
        for (int k = -3; k <= 3; ++k) {
            const int x = 7 + static_cast<int>(rng() % 189), y = static_cast<int>(rng() % 200);
            const CFaceShade s(p, m);
            double u, v;
            const double l = s.LightAt(x, y, u, v), f = s.HighlightAt(u, v);
            CPolygon3D light = p, lift = p;
            light.shade += midpoint(l) - l;
            light.shade += k * (light.shade - std::nextafter(light.shade, 0.0));
            lift.specular += midpoint(f) - f;
            lift.specular += k * (lift.specular - std::nextafter(lift.specular, 0.0));
            for (int n : {3, 4, 8, 16}) // a short run, the groups of four and eight, and a run of two eights
                for (int at = 0; at < n; ++at) check(light, x - at, y, n), check(lift, x - at, y, n);
        }
    }
}

TEST(Framing, AFramedProductWithItsReflectionStaysWhereItIsWithout)
{
    // The reflection runs below the product and out of the picture: the
    // product and its shadow are fitted as without it (then centred, see
    // the Framing test of the render pipeline).
    auto fitOf = [](bool reflection, bool reflectionFraming) {
        CModelDescription desc = NewProjectDescription("BOX", 190, 260, 60);
        desc.settings.reflection = reflection;
        desc.settings.reflectionFraming = reflectionFraming;
        CProductModel model;
        CFitContext fit;
        EXPECT_TRUE(model.Prepare(desc, true, CModelArea{260, 20, 20, 260, 200}, fit, nullptr));
        return fit;
    };
    const CFitContext plain = fitOf(false, true), framed = fitOf(true, true), old = fitOf(true, false);
    EXPECT_EQ(std::tuple(framed.scale, framed.originX, framed.originY), std::tuple(plain.scale, plain.originX, plain.originY));
    EXPECT_LT(old.scale, 0.9 * plain.scale); // counting the reflection shrank the product
}
