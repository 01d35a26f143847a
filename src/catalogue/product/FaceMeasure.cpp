#include "catalogue/product/FaceMeasure.h"

#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/settings/SettingTable.h"

void GetFacePictureSize(const CProduct& product, const std::string& key, int& width, int& height)
{
    width = height = 0;
    const CSide* side = product.FindSidePtr(key);
    const CRaster* picture = side ? side->GetPicture() : nullptr;
    if (picture != nullptr && picture->IsValid()) {
        width = picture->GetWidth();
        height = picture->GetHeight();
    }
}

double GetFacePixelsPerMillimetre(const CProduct& product, const std::string& key)
{
    const SettingStore& s = product.GetSettings();
    const double w = s.GetReal(ModelKey(kSetProductWidth));
    const double d = s.GetReal(ModelKey(kSetProductDepth));
    // Front and back W x H; left, right, spine and the side page edges D x H; top,
    // bottom and their page edges W x D: the width across the face.
    double across = 0;
    if (key == "F" || key == "B" || key == "U" || key == "D" || key == "u" || key == "d") across = w;
    else if (key == "L" || key == "R" || key == "S" || key == "l" || key == "r") across = d;
    int pw = 0, ph = 0;
    GetFacePictureSize(product, key, pw, ph);
    return across > 0 && pw > 0 ? pw / across : 0.0;
}
