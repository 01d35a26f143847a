#include "catalogue/product/SideAppearance.h"

#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "properties/Appearance.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

bool BuildAppearance(CSide& side)
{
    std::shared_ptr<const CVectorArt> art = GetKeptPictureArt(side) ? side.GetPictureArt() : nullptr;
    std::unique_ptr<CRaster> picture = side.TakePicture();
    const bool ok = BuildAppearance(side.GetSettings(), picture, side.GetSecondPicture());
    side.SetPicture(std::move(picture));
    side.SetPictureArt(std::move(art));
    // A colour is painted over every pixel of its picture.
    if (ok && side.GetSettings().GetInt(SideKey(kSideAppearance)) == kAppearanceColor) side.SetPictureOneColour();
    return ok;
}

const CVectorArt* GetKeptPictureArt(const CSide& side)
{
    if (side.GetSettings().GetInt(SideKey(kSideAppearance)) != kAppearancePicture)
        return nullptr;
    return side.GetPictureArt().get();
}

void GetSideArtSize(const CSide& side, const CVectorArt& art, int& width, int& height)
{
    int faceWidth = 0, faceHeight = 0;
    if (!GetAppearanceSize(side.GetSettings(), faceWidth, faceHeight))
        faceWidth = faceHeight = 0;
    GetArtPictureSize(art.GetWidth(), art.GetHeight(), faceWidth, faceHeight, width, height);
}

void GetArtPictureSize(double artWidth, double artHeight, int faceWidth, int faceHeight, int& width, int& height)
{
    artWidth = std::max(artWidth, 1e-3);
    artHeight = std::max(artHeight, 1e-3);
    double scale = 2048.0 / std::max(artWidth, artHeight);
    if (faceWidth > 0 && faceHeight > 0)
        scale = std::max(faceWidth / artWidth, faceHeight / artHeight);
    // Never more pixels than artwork is drawn at.
    scale = std::min(scale, std::sqrt(static_cast<double>(CVectorArt::kMaxPixels) / (artWidth * artHeight)));
    width = std::max(1, static_cast<int>(std::lround(artWidth * scale)));
    height = std::max(1, static_cast<int>(std::lround(artHeight * scale)));
    if (faceWidth > 0 && faceHeight > 0 && std::abs(width - faceWidth) <= 1 && std::abs(height - faceHeight) <= 1) {
        width = faceWidth;
        height = faceHeight;
    }
}

bool DrawSidePicture(CSide& side, std::shared_ptr<const CVectorArt> art)
{
    if (!art)
        return false;
    int width = 0, height = 0;
    GetSideArtSize(side, *art, width, height);
    std::unique_ptr<CRaster> picture = art->Rasterise(width, height);
    if (!picture)
        return false;
    picture->AlphaDelete();  // clear parts are white, as on paper
    side.SetPicture(std::move(picture));
    side.SetPictureArt(std::move(art));
    return true;
}

bool GetSideArtPlacement(const CSide& side, SArtPlacement& placement)
{
    const CVectorArt* art = side.GetPictureArt().get();
    const CRaster* picture = side.GetPicture();
    if (!art || !picture || !picture->IsValid())
        return false;
    placement = {0, 0, static_cast<double>(picture->GetWidth()), static_cast<double>(picture->GetHeight())};
    int faceWidth = 0, faceHeight = 0;
    if (!GetAppearanceSize(side.GetSettings(), faceWidth, faceHeight))
        return true;
    // The picture before the fit; a start, middle or end fit kept a part of it.
    int width = 0, height = 0;
    GetSideArtSize(side, *art, width, height);
    const int fit = side.GetSettings().GetInt(SideKey(kSideFitMode));
    const bool sameRatio = static_cast<std::int64_t>(width) * faceHeight == static_cast<std::int64_t>(height) * faceWidth;
    if (fit != kFitStart && fit != kFitMiddle && fit != kFitEnd)
        return true;
    if (sameRatio)
        return true;
    const SFitCrop crop = GetFitCrop(width, height, faceWidth, faceHeight, fit);
    placement = {-static_cast<double>(crop.x), -static_cast<double>(crop.yTop), static_cast<double>(width),
                 static_cast<double>(height)};
    return true;
}
