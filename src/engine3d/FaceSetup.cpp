#include "engine3d/FaceSetup.h"

#include "engine3d/Polygon3D.h"

#include <algorithm>

CSampleGrid::CSampleGrid(int n) noexcept
{
    side = n == 100 ? 10 : 5;
    first = n == 100 ? -0.45 : -0.4;
    step = n == 100 ? 0.1 : 0.2;
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
    return sampleCount > 25 ? grid100 : grid25;
}

CFaceSetup::CFaceSetup(const CTextureSet* textures, char faceCode, double mappedWidth, double mappedHeight,
                       COLORREF fillColour) noexcept
{
    tex = textures ? textures->GetPicture(faceCode) : nullptr;
    isDisc = faceCode == FaceCode::kDisc;
    cdHalf = isDisc && textures && textures->cdHalf;
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
