#include "layout/face/FaceAppearance.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/FaceMeasure.h"
#include "catalogue/NewProject.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/Appearance.h"
#include "properties/settings/SettingTable.h"

#include <algorithm>

SideAppearanceAnswer GetFaceAppearance(const CSide& side)
{
    const SettingStore& s = side.GetSettings();
    SideAppearanceAnswer a;
    a.type = s.GetInt(SideKey(kSideAppearance));
    a.color1 = static_cast<COLORREF>(s.GetInt(SideKey(kSideColor1))) & 0xFFFFFF;
    a.color2 = static_cast<COLORREF>(s.GetInt(SideKey(kSideColor2))) & 0xFFFFFF;
    a.gradientStyle = s.GetInt(SideKey(kSideGradientStyle));
    a.pattern = s.GetInt(SideKey(kSidePattern));
    a.patternCell = s.GetInt(SideKey(kSidePatternCell));
    a.textureScale = s.GetInt(SideKey(kSideTextureScale));
    a.fit = s.GetInt(SideKey(kSideFitMode));
    return a;
}

bool SetFaceAppearance(const CAppFolders& folders, CVtwinDoc& doc, const std::string& key,
                       const SideAppearanceAnswer& answer, std::string& error)
{
    CProduct* product = doc.GetProduct();
    CSide* side = product ? product->FindSidePtr(key) : nullptr;
    if (!side) {
        error = "The product has no such face.";
        return false;
    }
    const SettingStore& s = side->GetSettings();
    CSide built;
    built.GetSettings() = s;
    if (!PrepareSideAppearance(folders, built, answer, std::max(1, s.GetInt(SideKey(kSideBaseWidth))),
                               std::max(1, s.GetInt(SideKey(kSideBaseHeight))),
                               std::max(1, s.GetInt(SideKey(kSideMagnification))), error))
        return false;
    int oldWidth = 0, oldHeight = 0, newWidth = 0, newHeight = 0;
    GetFacePictureSize(*product, key, oldWidth, oldHeight);
    side->GetSettings() = built.GetSettings();
    side->SetPicture(built.TakePicture());
    side->SetPictureArt(built.GetPictureArt());  // artwork a picture was drawn from stays with it
    side->SetSecondPicture(built.TakeSecondPicture());
    GetFacePictureSize(*product, key, newWidth, newHeight);
    if (auto* list = static_cast<CDrawObjectList*>(doc.FindFaceObjects(key)))
        list->ScaleObjects(oldWidth, oldHeight, newWidth, newHeight);
    return true;
}
