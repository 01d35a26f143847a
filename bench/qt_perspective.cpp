// One textured quad in perspective, drawn by the rasteriser and by Qt's raster
// engine (QPainter::drawImage under a quadToQuad transform with smooth
// pixmap transforms, bilinear) in one process, on the same 2048 x 2048
// picture and the same quad in a 4096 x 4096 target, one thread. The counter
// is covered megapixels per CPU second. Ours: smooth (bilinear from the
// picture level of the footprint) and nearest texels, Standard detail (5 x 5
// samples at the outline), unlit, without edge softening. CPU time is the
// process's (Qt may draw on helper threads).
//
//   build/release/bench/bench_qt_perspective
#include "engine3d/surface/RenderSurface.h"
#include "image/Raster.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kTexture = 2048, kTarget = 4096;

// The quad's corners in eye space: a parallelogram seen in perspective (the
// picture position of (x, y, z) is (x / z, y / z)), corner 3 = 0 + 2 - 1.
struct SQuad {
    CVertex3D v[4];
    QPolygonF Picture() const
    {
        QPolygonF q;
        for (int i : {0, 3, 2, 1}) q << QPointF(v[i].x / v[i].z, v[i].y / v[i].z);
        return q;
    }
    double Area() const
    {
        const QPolygonF q = Picture();
        double a = 0;
        for (int i = 0; i < 4; ++i) a += q[i].x() * q[(i + 1) % 4].y() - q[(i + 1) % 4].x() * q[i].y();
        return std::fabs(a) / 2;
    }
};

SQuad MakeQuad()
{
    SQuad q;
    auto at = [](double px, double py, double z) { return CVertex3D{px * z, py * z, z, px, py}; };
    q.v[0] = at(150, 4000, 1.0);
    q.v[1] = at(250, 100, 1.3);
    q.v[2] = at(3900, 450, 1.1);
    const CVertex3D& a = q.v[0];
    const CVertex3D& b = q.v[1];
    const CVertex3D& c = q.v[2];
    q.v[3] = CVertex3D{a.x + c.x - b.x, a.y + c.y - b.y, a.z + c.z - b.z, 0, 0};
    q.v[3].sx = q.v[3].x / q.v[3].z;
    q.v[3].sy = q.v[3].y / q.v[3].z;
    return q;
}

std::uint32_t Texel(int x, int y) { return (x * 2654435761u + y * 40503u) & 0xffffff; }

void QtDrawImage(benchmark::State& state)
{
    QImage tex(kTexture, kTexture, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kTexture; ++y) {
        auto* row = reinterpret_cast<quint32*>(tex.scanLine(y));
        for (int x = 0; x < kTexture; ++x) row[x] = 0xff000000u | Texel(x, y);
    }
    QImage dst(kTarget, kTarget, QImage::Format_ARGB32_Premultiplied);
    dst.fill(0);
    const SQuad quad = MakeQuad();
    QPolygonF src;
    src << QPointF(0, 0) << QPointF(kTexture, 0) << QPointF(kTexture, kTexture) << QPointF(0, kTexture);
    QTransform t;
    QTransform::quadToQuad(src, quad.Picture(), t);
    for (auto _ : state) {
        QPainter p(&dst);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setTransform(t);
        p.drawImage(0, 0, tex);
        p.end();
        benchmark::DoNotOptimize(dst.constBits());
    }
    state.counters["Mpx/s"] = benchmark::Counter(quad.Area() * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// Argument: 1 smooth, 0 nearest texels.
void OurTexturedQuad(benchmark::State& state)
{
    CRaster tex;
    tex.Create(kTexture, kTexture, 24);
    for (int y = 0; y < kTexture; ++y) {
        std::uint8_t* row = tex.GetBits(y);
        for (int x = 0; x < kTexture; ++x) {
            const std::uint32_t c = Texel(x, y);
            row[3 * x] = c & 0xff;
            row[3 * x + 1] = (c >> 8) & 0xff;
            row[3 * x + 2] = (c >> 16) & 0xff;
        }
    }
    CRaster dst;
    dst.Create(kTarget, kTarget, 24);
    CTextureSet textures;
    textures.SetPicture('F', &tex);
    textures.smooth = state.range(0) != 0;
    if (textures.smooth && !textures.BuildLevels()) state.SkipWithError("no memory for the picture levels");
    const SQuad quad = MakeQuad();
    CPolygon3D polygon;
    polygon.vertices.assign(quad.v, quad.v + 4);
    polygon.faceCode = 'F';
    std::unique_ptr<CRenderSurface> surface = CRenderSurface::Create(dst);
    CFitContext fit; // picture position = projected position
    surface->SetFit(fit);
    auto corner = [&](int i, bool y) { return static_cast<int>(std::lround(y ? quad.v[i].sy : quad.v[i].sx)); };
    for (auto _ : state) {
        surface->DrawTexturedQuad(corner(0, false), corner(0, true), corner(1, false), corner(1, true),
                                  corner(2, false), corner(2, true), corner(3, false), corner(3, true), &textures,
                                  'F', polygon, nullptr, 25, false);
        benchmark::DoNotOptimize(dst.GetBits(0));
    }
    state.counters["Mpx/s"] = benchmark::Counter(quad.Area() * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(textures.smooth ? "smooth" : "nearest");
}

}  // namespace

BENCHMARK(QtDrawImage)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(OurTexturedQuad)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
