#include "engine3d/model/PageEdges.h"

#include "engine3d/surface/EngineSettings.h"
#include "image/Raster.h"

#include <algorithm>

CPageEdgeStyle CPageEdgeStyle::FromSettings(const CEngineSettings& settings, int k)
{
    CPageEdgeStyle s;
    s.frontPercent = settings.pageFront;
    s.pagesPercent = settings.pagePages;
    s.paperColour = settings.paperColour;
    s.pageEdges = settings.pageEdges;
    s.edgeColour = settings.edgeColour;
    s.k = k;
    return s;
}

namespace {

struct CBGR {
    std::uint8_t b = 0, g = 0, r = 0;
};

CBGR FromColour(COLORREF c) noexcept { return CBGR{GetBValue(c), GetGValue(c), GetRValue(c)}; }

const CRaster* Usable(const CRaster* p) noexcept
{
    return p && p->IsValid() && p->GetBpp() == 24 && p->GetWidth() > 0 && p->GetHeight() > 0 ? p : nullptr;
}

CBGR PixelOf(const CRaster& picture, int x, int y) noexcept
{
    const std::uint8_t* p = picture.GetBits(y) + 3 * x;
    return CBGR{p[0], p[1], p[2]};
}

void Put(CRaster& target, int x, int y, CBGR c) noexcept
{
    std::uint8_t* p = target.GetBits(y) + 3 * x;
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

// Band limits across a depth of `extent` pixels: covers at or below a and at
// or above b, pages strictly between.
void Bands(int extent, const CPageEdgeStyle& s, int& a, int& b) noexcept
{
    // Shares outside 0 .. 100 % (a damaged file) are held to the picture.
    const double front = std::clamp(s.frontPercent, 0, 100);
    const double pages = std::clamp(s.pagesPercent, 0, 100);
    a = static_cast<int>(extent * front * 0.01);
    b = static_cast<int>(extent * std::min(front + pages, 100.0) * 0.01);
}

// Page colour at depth position t (pixels from the front).
CBGR PageColour(int t, const CPageEdgeStyle& s, int k) noexcept
{
    if (s.pageEdges && t % (3 * k) < k) return FromColour(s.edgeColour);
    return FromColour(s.paperColour);
}

// Right ('r') and left ('l') faces: depth runs along the columns.
void PaintSide(CRaster& target, const CRaster* front, const CPageEdgeStyle& s, int k, bool left)
{
    const int w = target.GetWidth(), h = target.GetHeight();
    int a, b;
    Bands(w, s, a, b);
    const CBGR paper = FromColour(s.paperColour);
    for (int y = 0; y < h; ++y) {
        CBGR cover = paper;
        if (front) {
            const int fy = static_cast<int>(static_cast<long long>(y) * front->GetHeight() / h);
            cover = PixelOf(*front, left ? 0 : front->GetWidth() - 1, fy);
        }
        for (int x = 0; x < w; ++x) {
            const int t = left ? w - 1 - x : x; // pixels from the front end
            Put(target, x, y, (a < t && t < b) ? PageColour(t, s, k) : cover);
        }
    }
}

// Top ('u') and bottom ('d') faces: width along the columns from the spine,
// depth along the rows.
void PaintTopBottom(CRaster& target, const CRaster* front, const CRaster* spine,
                    const CPageEdgeStyle& s, int k, bool top, bool binderForm)
{
    const int w = target.GetWidth(), h = target.GetHeight();
    int a, b;
    Bands(h, s, a, b);
    const CBGR paper = FromColour(s.paperColour);
    for (int y = 0; y < h; ++y) {
        // Depth from the front: the top face's rows start at the front, the
        // bottom face's at the back (its top row meets the front).
        const int t = top ? y : h - 1 - y;
        const bool pageRow = a < t && t < b;
        CBGR spineColour = paper;
        if (!binderForm) {
            if (spine) {
                const int sx = spine->GetWidth() - 1 -
                               static_cast<int>(static_cast<long long>(t) * spine->GetWidth() / h);
                spineColour = PixelOf(*spine, sx, top ? spine->GetHeight() - 1 : 0);
            } else if (front) {
                spineColour = PixelOf(*front, 0, top ? front->GetHeight() - 1 : 0);
            }
        }
        for (int x = 0; x < w; ++x) {
            CBGR c;
            if (binderForm) {
                if (pageRow) {
                    c = PageColour(t, s, k);
                } else {
                    c = paper;
                    if (front) {
                        const int fx = static_cast<int>(static_cast<long long>(x) * front->GetWidth() / w);
                        c = PixelOf(*front, fx, top ? front->GetHeight() - 1 : 0);
                    }
                }
            } else if (x > a && pageRow) {
                c = PageColour(t, s, k);
            } else if ((x <= a && pageRow) || (x < t && t <= a) || (t >= b && x < h - t)) {
                c = spineColour; // spine strip and its mitred corners
            } else {
                c = paper;
                if (front) {
                    const int fx = static_cast<int>(static_cast<long long>(x) * front->GetWidth() / w);
                    c = PixelOf(*front, fx, top ? front->GetHeight() - 1 : 0);
                }
            }
            Put(target, x, y, c);
        }
    }
}

} // namespace

bool PaintPageEdge(char code, bool binderForm, CRaster& target, const CRaster* front,
                   const CRaster* spine, const CPageEdgeStyle& style, std::string* error)
{
    if (!target.IsValid() || target.GetBpp() != 24 || target.GetWidth() <= 0 || target.GetHeight() <= 0) {
        if (error) *error = "The page-edge picture is not a 24-bit picture.";
        return false;
    }
    if (code != 'u' && code != 'd' && code != 'r' && code != 'l') {
        if (error) *error = "Not a page-edge face.";
        return false;
    }
    const int k = std::max(style.k, 1); // page lines need a width of at least one pixel
    front = Usable(front);
    spine = Usable(spine);
    switch (code) {
    case 'r': PaintSide(target, front, style, k, false); break;
    case 'l': PaintSide(target, front, style, k, true); break;
    case 'u': PaintTopBottom(target, front, spine, style, k, true, binderForm); break;
    case 'd': PaintTopBottom(target, front, spine, style, k, false, binderForm); break;
    default: break;
    }
    return true;
}
