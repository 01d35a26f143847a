#include "layout/barcode/BarcodePlacement.h"

#include <algorithm>
#include <cmath>

#include "catalogue/product/Product.h"
#include "catalogue/product/FaceMeasure.h"
#include "layout/barcode/DrawBarcode.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingTable.h"

namespace {

constexpr double kScanModulePixels = 3.0;  // picture pixels a module the scanners need
constexpr double kScanModuleMm = 0.25;     // printed millimetres a module
// The share of the rendering's shorter side that the product's longest
// dimension takes in the default view.
constexpr double kProductShare = 0.5;

// Face pixels per picture pixel of the rendering.
double FacePixelsPerRenderPixel(const CProduct& product, const std::string& key)
{
    const SettingStore& s = product.GetSettings();
    const int renderWidth = std::max(1, s.GetInt(ModelKey(kSetRenderWidth)));
    const int renderHeight = std::max(1, s.GetInt(ModelKey(kSetRenderHeight)));
    int faceWidth = 0, faceHeight = 0;
    GetFacePictureSize(product, key, faceWidth, faceHeight);
    if (key == "G") return static_cast<double>(std::max(1, faceWidth)) / renderWidth;
    const double longest = std::max({s.GetReal(ModelKey(kSetProductWidth)), s.GetReal(ModelKey(kSetProductHeight)),
                                      s.GetReal(ModelKey(kSetProductDepth)), 1.0});
    const double renderPerMm = kProductShare * std::min(renderWidth, renderHeight) / longest;
    double facePerMm = GetFacePixelsPerMillimetre(product, key);
    if (facePerMm <= 0) facePerMm = std::max(1, faceWidth) / longest;  // the CD-ROM: about the product's size
    return facePerMm / renderPerMm;
}

bool Overlaps(const CDrawObject& o, int left, int bottom, int right, int top)
{
    return o.GetMinX() <= right && o.GetMaxX() >= left && o.GetMinY() <= top && o.GetMaxY() >= bottom;
}

}  // namespace

int GetScanningModule(const CProduct& product, const std::string& key)
{
    const double printed = kScanModuleMm * GetRenderResolution(product.GetSettings()) / 25.4;
    const double renderPixels = std::max(kScanModulePixels, printed);
    return std::max(1, static_cast<int>(std::ceil(renderPixels * FacePixelsPerRenderPixel(product, key))));
}

namespace {

// The symbol's size at the scanning module (or the largest module that fits
// inside the margins), its bars at least a quarter of its length long, as
// scanners like them.
void ScanningSize(const CProduct& product, const std::string& key, const CDrawBarcode& code, int faceWidth,
                  int faceHeight, int margin, int& width, int& height)
{
    int naturalWidth = 0, naturalHeight = 0;
    code.GetNaturalSize(naturalWidth, naturalHeight);
    const int fits = std::min((faceWidth - 2 * margin) / std::max(1, naturalWidth),
                              (faceHeight - 2 * margin) / std::max(1, naturalHeight));
    const int module = std::max(1, std::min(GetScanningModule(product, key), fits));
    width = naturalWidth * module;
    height = naturalHeight * module;
    if (width >= height) height = std::min(std::max(height, width / 4), faceHeight - 2 * margin);
    else width = std::min(std::max(width, height / 4), faceWidth - 2 * margin);
}

// A symbol that cannot lie across a narrow face (a box's spine) at any
// module stands on it, turned a quarter, where it fits that way.
void TurnToFit(CDrawBarcode& code, int faceWidth, int faceHeight, int margin)
{
    int width = 0, height = 0;
    code.GetNaturalSize(width, height);
    if (code.GetAngle() != 0 || width <= faceWidth - 2 * margin)
        return;
    code.SetAngle(900);
    code.GetNaturalSize(width, height);
    if (width > faceWidth - 2 * margin || height > faceHeight - 2 * margin)
        code.SetAngle(0);
}

}  // namespace

void PlaceNewBarcode(const CProduct& product, const std::string& key, const CDrawObjectList& objects,
                     CDrawBarcode& code)
{
    int faceWidth = 0, faceHeight = 0;
    GetFacePictureSize(product, key, faceWidth, faceHeight);
    const int margin = std::min(faceWidth, faceHeight) / 20;
    code.SetCoords(0, 0, 0, 0);
    TurnToFit(code, faceWidth, faceHeight, margin);
    int width = 0, height = 0;
    ScanningSize(product, key, code, faceWidth, faceHeight, margin, width, height);
    const int lefts[2] = {faceWidth - margin - width, margin};
    const int bottoms[2] = {margin, faceHeight - margin - height};
    int left = lefts[0], bottom = bottoms[0];
    for (int corner = 0; corner < 4; ++corner) {
        const int l = lefts[corner % 2], b = bottoms[corner / 2];
        bool free = true;
        for (std::size_t i = 0; i < objects.GetObjectCount() && free; ++i)
            free = !Overlaps(*objects.GetObject(i), l, b, l + width, b + height);
        if (free) {
            left = l;
            bottom = b;
            break;
        }
    }
    code.SetBounds(left, bottom + height, left + width, bottom);
}

void GrowBarcodeToScan(const CProduct& product, const std::string& key, CDrawBarcode& code)
{
    int faceWidth = 0, faceHeight = 0;
    GetFacePictureSize(product, key, faceWidth, faceHeight);
    if (faceWidth <= 0 || faceHeight <= 0)
        return;
    const int left = code.GetMinX(), top = code.GetMaxY();
    const int boxWidth = code.GetMaxX() - left, boxHeight = top - code.GetMinY();
    int width = 0, height = 0;
    ScanningSize(product, key, code, faceWidth, faceHeight, 0, width, height);
    width = std::min(std::max(width, boxWidth), faceWidth);
    height = std::min(std::max(height, boxHeight), faceHeight);
    // From the box's top-left corner, moved back inside the face.
    const int x = std::clamp(left, 0, faceWidth - width);
    const int y = std::clamp(top, height, faceHeight);
    code.SetBounds(x, y, x + width, y - height);
}
