// The run sampler of plain faces against its one-sample-at-a-time reference,
// and the rasteriser with the run sampler against the rasteriser without it:
// the same texel for every sample means the same picture, bit for bit.
#include "EngineTestUtil.h"

#include "engine3d/FaceRunSampler.h"
#include "engine3d/PolygonDrawer.h"
#include "engine3d/RenderSurface.h"
#include "engine3d/TextureSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using namespace enginetest;

namespace {

std::unique_ptr<CRaster> RandomTexture(int w, int h, std::mt19937& rng)
{
    std::uniform_int_distribution<int> c(0, 255);
    auto t = MakePicture(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Set(*t, x, y, RGB(c(rng), c(rng), c(rng)));
    return t;
}

// A w x h rectangle turned by the angles ay (about y) and ax (about x),
// centred at (cx, cy, cz), as a fitted mesh of one face on a side x side picture.
struct CTurnedFace {
    CModelMesh mesh;
    CFitContext fit;
    CTurnedFace(double w, double h, double ay, double ax, double cx, double cy, double cz, int side)
    {
        auto corner = [&](double x, double y) {
            double X = x * std::cos(ay), Z = -x * std::sin(ay);
            double Y = y * std::cos(ax) - Z * std::sin(ax);
            Z = y * std::sin(ax) + Z * std::cos(ax);
            return MakeVertex(X + cx, Y + cy, Z + cz);
        };
        CPolygonList list;
        list.Add(CPolygon3D::Quad(corner(-w / 2, h / 2), corner(-w / 2, -h / 2), corner(w / 2, -h / 2),
                                  corner(w / 2, h / 2), 'F'));
        mesh.lists.push_back(list);
        mesh.ProjectMesh(1.0);
        fit = mesh.FitToPicture(side - 10, 5, 5);
    }
    CPolygon3D& Face() { return mesh.lists[0][0]; }
};

// The sample offsets of the 5 x 5 or 10 x 10 grid folded into the numerators,
// as the rasteriser folds them.
void GridOffsets(const CQuadMapping& map, int n, double* offA, double* offB, double* offC)
{
    const int side = n == 100 ? 10 : 5;
    const double first = n == 100 ? -0.45 : -0.4, step = n == 100 ? 0.1 : 0.2;
    for (int j = 0, k = 0; j < side; ++j)
        for (int i = 0; i < side; ++i, ++k) {
            const double dx = first + step * i, dy = first + step * j;
            offA[k] = map.ax * dx + map.ay * dy;
            offB[k] = map.bx * dx + map.by * dy;
            offC[k] = map.cx * dx + map.cy * dy;
        }
}

} // namespace

TEST(FaceRunSampler, RunsMatchTheOneSampleReferenceExactly)
{
    const unsigned seed = 20261207;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-1.3, 1.3), pos(-40, 40), size(20, 120);
    std::uniform_int_distribution<int> texSide(1, 300);
    long long pixels = 0, partial = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const int side = 120;
        CTurnedFace face(size(rng), size(rng), angle(rng), angle(rng), pos(rng), pos(rng), 150 + pos(rng), side);
        CQuadMapping map;
        ASSERT_TRUE(map.Create(face.Face(), face.fit));
        // Odd sizes (rows padded to four bytes), single rows and columns.
        auto tex = RandomTexture(texSide(rng), trial % 7 == 0 ? 1 : texSide(rng), rng);
        CTexture view{tex->GetBits(0), tex->GetWidth(), tex->GetHeight(), tex->GetEffWidth()};
        const int n = trial % 3 == 0 ? 100 : 25;
        double offA[100], offB[100], offC[100];
        GridOffsets(map, n, offA, offB, offC);
        CFaceRunSampler sampler;
        ASSERT_TRUE(sampler.Setup(offA, offB, offC, n, view, map.ax, map.bx, map.cx));
        std::vector<CPixelSamples> fast(side + 20), plain(side + 20);
        for (int y = -10; y < side + 10; ++y) {
            const double rowA = map.ay * y + map.a0, rowB = map.by * y + map.b0, rowC = map.cy * y + map.c0;
            sampler.SampleRun(-10, side + 9, rowA, rowB, rowC, fast.data());
            sampler.SampleRunReference(-10, side + 9, rowA, rowB, rowC, plain.data());
            for (int i = 0; i < side + 20; ++i) {
                ASSERT_EQ(fast[i].count, plain[i].count)
                    << "seed " << seed << " trial " << trial << " pixel " << i - 10 << "," << y;
                ASSERT_EQ(0, std::memcmp(fast[i].sum, plain[i].sum, sizeof fast[i].sum))
                    << "seed " << seed << " trial " << trial << " pixel " << i - 10 << "," << y;
                ++pixels;
                if (plain[i].count > 0 && plain[i].count < n) ++partial;
            }
        }
    }
    // The runs crossed the outlines of the faces too.
    EXPECT_GT(partial, 1000) << "of " << pixels;
}

TEST(FaceRunSampler, RasteriserDrawsTheSamePictureWithAndWithoutIt)
{
    const unsigned seed = 20261208;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(-1.2, 1.2), pos(-30, 30), size(30, 90);
    for (int trial = 0; trial < 16; ++trial) {
        const double w = size(rng), h = size(rng), ay = angle(rng), ax = angle(rng);
        const double cx = pos(rng), cy = pos(rng), cz = 200 + pos(rng);
        auto tex = RandomTexture(17 + trial * 13, 11 + trial * 7, rng);
        const bool soften = trial % 2 == 1;
        const int samples = trial % 4 >= 2 ? 100 : 25;
        auto draw = [&](bool runs) {
            CTurnedFace face(w, h, ay, ax, cx, cy, cz, 100);
            auto target = MakePicture(100, 100, RGB(10, 20, 30));
            auto surface = CRenderSurface::Create(*target);
            surface->SetFit(face.fit);
            CTextureSet set;
            set.SetPicture('F', tex.get());
            CDrawOptions opt;
            opt.cull = false;
            opt.soften = soften;
            opt.sampleCount = samples;
            CFaceRunSampler::SetEnabled(runs);
            surface->ClearSoftening();
            DrawPolygon(face.Face(), *surface, opt, &set, nullptr);
            surface->ResolvePartialPixels(samples);
            CFaceRunSampler::SetEnabled(true);
            return target;
        };
        auto withRuns = draw(true);
        auto without = draw(false);
        for (int y = 0; y < 100; ++y)
            ASSERT_EQ(0, std::memcmp(withRuns->GetBits(y), without->GetBits(y), 300))
                << "seed " << seed << " trial " << trial << " row " << y;
    }
}
