#pragma once
// Small helpers shared by the engine tests: 24-bit pictures, colours and
// faces laid out directly in eye space with a unit fit, so that picture
// position (px, py) looks along the ray (px, py, 1). Every engine test
// includes it first: it brings the test framework and the standard headers.

#include "engine3d/model/ModelMesh.h"
#include "engine3d/geometry/Polygon3D.h"
#include "engine3d/sampling/TextureSet.h"
#include "engine3d/surface/PolygonDrawer.h"
#include "engine3d/surface/RenderSurface.h"
#include "image/Raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace enginetest {

// The sRGB curve's own formula: a level / 255 to linear light and back.
inline double Decode(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
inline double Encode(double v) { return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055; }

inline std::unique_ptr<CRaster> MakePicture(int w, int h, COLORREF fill)
{
    auto r = std::make_unique<CRaster>();
    r->Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) r->SetPixelColor(x, y, fill);
    return r;
}

// A picture of random channels 0 .. maxChannel drawn from `rng`.
inline std::unique_ptr<CRaster> RandomPicture(int w, int h, std::mt19937& rng, int maxChannel = 255)
{
    std::uniform_int_distribution<int> c(0, maxChannel);
    auto t = MakePicture(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) t->SetPixelColor(x, y, RGB(c(rng), c(rng), c(rng)));
    return t;
}

inline COLORREF Get(const CRaster& r, int x, int y)
{
    const std::uint8_t* p = r.GetBits(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

inline void Set(CRaster& r, int x, int y, COLORREF c)
{
    std::uint8_t* p = r.GetBits(y) + 3 * x;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

// The identity fit: picture position = projected position.
inline CFitContext UnitFit()
{
    return CFitContext{};
}

// A vertex in the plane z = 1 whose picture position (sx, sy) is (x, y).
inline CVertex3D ScreenVertex(double x, double y)
{
    CVertex3D p = MakeVertex(x, y, 1.0);
    p.sx = x;
    p.sy = y;
    return p;
}

// An upright face in the plane z = 1 from (x0, y0) to (x1, y1), corners
// top-left, bottom-left, bottom-right, top-right; sx, sy equal x, y, so it
// covers exactly that rectangle of the picture and u = (px - x0)/(x1 - x0),
// v = (py - y0)/(y1 - y0).
inline CPolygon3D FlatFace(double x0, double y0, double x1, double y1, char code)
{
    const auto v = ScreenVertex;
    CPolygon3D f = CPolygon3D::Quad(v(x0, y1), v(x0, y0), v(x1, y0), v(x1, y1), code);
    f.ComputePlane();
    return f;
}

// A w x h rectangle turned by the angles ay (about y) and ax (about x),
// centred at (cx, cy, cz), as a fitted mesh of one face on a side x side picture.
struct CTurnedFace {
    CModelMesh mesh;
    CFitContext fit;
    CTurnedFace(double w, double h, double ay, double ax, double cx, double cy, double cz, int side, char code = 'F')
    {
        auto corner = [&](double x, double y) {
            double X = x * std::cos(ay), Z = -x * std::sin(ay);
            double Y = y * std::cos(ax) - Z * std::sin(ax);
            Z = y * std::sin(ax) + Z * std::cos(ax);
            return MakeVertex(X + cx, Y + cy, Z + cz);
        };
        CPolygonList list;
        list.Add(CPolygon3D::Quad(corner(-w / 2, h / 2), corner(-w / 2, -h / 2), corner(w / 2, -h / 2),
                                  corner(w / 2, h / 2), code));
        mesh.lists.push_back(list);
        mesh.ProjectMesh(1.0);
        fit = mesh.FitToPicture(side - 10, 5, 5);
    }
    CPolygon3D& Face() { return mesh.lists[0][0]; }
};

// `face` drawn alone, never culled, into a side x side picture of `background`
// under `fit`; `coverage`, when given, gets every pixel's coverage before the
// partly covered pixels are resolved (`linear`: in linear light).
inline std::unique_ptr<CRaster> DrawAlone(CPolygon3D& face, const CFitContext& fit, int side, const CTextureSet& set,
                                          CDrawOptions opt, std::vector<int>* coverage = nullptr, bool linear = false,
                                          COLORREF background = RGB(10, 20, 30))
{
    auto target = MakePicture(side, side, background);
    auto surface = CRenderSurface::Create(*target);
    surface->SetFit(fit);
    opt.cull = false;
    surface->ClearSoftening();
    DrawPolygon(face, *surface, opt, &set, nullptr);
    for (int y = 0; coverage && y < side; ++y)
        for (int x = 0; x < side; ++x) coverage->push_back(surface->GetCoverage(x, y));
    surface->ResolvePartialPixels(opt.sampleCount, linear);
    return target;
}

} // namespace enginetest
