#include "engine3d/sampling/FaceSetup.h"

#include "engine3d/geometry/Polygon3D.h"

#include <algorithm>
#include <cmath>
#include <new>

CSampleGrid::CSampleGrid(int n) noexcept
{
    // The centres of side x side equal cells of the pixel.
    side = n == 100 ? 10 : n == 9 ? 3 : 5;
    first = n == 100 ? -0.45 : n == 9 ? -1.0 / 3.0 : -0.4;
    step = n == 100 ? 0.1 : n == 9 ? 1.0 / 3.0 : 0.2;
    count = side * side;
    int k = 0;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i, ++k) {
            dx[k] = first + step * i;
            dy[k] = first + step * j;
        }
}

const CSampleGrid& GridFor(int sampleCount) noexcept
{
    static const CSampleGrid grid25(25);
    static const CSampleGrid grid100(100);
    static const CSampleGrid grid9(9);
    return sampleCount > 25 ? grid100 : sampleCount <= 9 ? grid9 : grid25;
}

namespace {

// Texels [first, last) of a picture `size` texels wide that show the
// fractions [from, to] of it; at least one texel.
void PartTexels(double from, double to, int size, int& first, int& last) noexcept
{
    first = std::clamp(static_cast<int>(std::lround(std::clamp(from, 0.0, 1.0) * size)), 0, size - 1);
    last = std::clamp(static_cast<int>(std::lround(std::clamp(to, 0.0, 1.0) * size)), first + 1, size);
}

CTexture SubView(const CTexture& t, int x0, int x1, int y0, int y1) noexcept
{
    CTexture v = t;
    v.bits = t.At(x0, y0);
    v.width = x1 - x0;
    v.height = y1 - y0;
    return v;
}

} // namespace

void CFaceSetup::TakePart(const CTexture& picture, const CTextureLevels* levels, const CPolygon3D& polygon) noexcept
{
    int x0, x1, y0, y1;
    PartTexels(polygon.texU0, polygon.texU1, picture.width, x0, x1);
    PartTexels(polygon.texV0, polygon.texV1, picture.height, y0, y1);
    part = SubView(picture, x0, x1, y0, y1);
    tex = &part;
    if (!levels || levels->levels.size() > 31) return; // no levels: the part itself is read
    try {
        partLevels.levels.assign(levels->levels.size(), part);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (std::size_t L = 1; L < levels->levels.size(); ++L) { // level L halves L times: texel x is x >> L there
        const CTexture& t = levels->levels[L];
        const int s = 1 << L;
        const int lx0 = std::min(x0 >> L, t.width - 1), ly0 = std::min(y0 >> L, t.height - 1);
        const int lx1 = std::clamp((x1 + s - 1) >> L, lx0 + 1, t.width);
        const int ly1 = std::clamp((y1 + s - 1) >> L, ly0 + 1, t.height);
        partLevels.levels[L] = SubView(t, lx0, lx1, ly0, ly1);
    }
    this->levels = &partLevels;
    levelCount = static_cast<int>(partLevels.levels.size());
}

CFaceSetup::CFaceSetup(const CTextureSet* textures, char faceCode, double mappedWidth, double mappedHeight,
                       const CPolygon3D& polygon) noexcept
{
    const COLORREF fillColour = polygon.fillColour;
    tex = textures ? textures->GetPicture(faceCode) : nullptr;
    const CTextureLevels* pictureLevels = tex && textures->smooth ? textures->GetLevels(faceCode) : nullptr;
    oneColour = pictureLevels && pictureLevels->oneColour;
    const bool whole = polygon.texU0 == 0.0 && polygon.texU1 == 1.0 && polygon.texV0 == 0.0 && polygon.texV1 == 1.0;
    if (tex && !whole) {
        TakePart(*tex, pictureLevels, polygon);
    } else if (pictureLevels) {
        levels = pictureLevels;
        levelCount = static_cast<int>(pictureLevels->levels.size());
    }
    isDisc = faceCode == FaceCode::kDisc;
    cdHalf = isDisc && textures && textures->cdHalf;
    discShape = isDisc && textures && textures->discShape;
    whiteAvoid = textures && textures->whiteAvoid;
    if (textures) {
        radius = textures->cornerRadius;
        faceW = textures->faceWidth;
        faceH = textures->faceHeight;
    }
    boxFace = IsBoxFaceCode(faceCode);
    folds = textures && textures->foldsShown && boxFace;
    if (folds) {
        foldU = textures->foldWidth / std::max(mappedWidth, 1e-9);
        foldV = textures->foldWidth / std::max(mappedHeight, 1e-9);
        foldColour = textures->foldsColour & 0xFFFFFFu;
        if (whiteAvoid && foldColour == 0xFFFFFFu) foldColour = 0xFEFEFEu;
    }
    const std::uint32_t c = fillColour & 0xFFFFFFu;
    const bool white = c == 0xFFFFFFu && whiteAvoid;
    fill[0] = white ? 0xFE : GetBValue(c);
    fill[1] = white ? 0xFE : GetGValue(c);
    fill[2] = white ? 0xFE : GetRValue(c);
}

void CFaceSetup::TakeOneColour() noexcept
{
    if (!tex || !oneColour || isDisc) return;
    const std::uint8_t* p = tex->At(0, 0);
    const bool white = p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF && whiteAvoid;
    for (int k = 0; k < 3; ++k) fill[k] = white ? 0xFE : p[k];
    tex = nullptr;
    levels = nullptr;
    levelCount = 0;
}
