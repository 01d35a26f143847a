#include "catalogue/product/ProductSettings.h"

#include "catalogue/product/Product.h"
#include "properties/settings/SettingTable.h"

bool IsSettingOfProduct(const CProduct& p, std::uint32_t settingId)
{
    switch (settingId) {
    case kSetEdgeRadius: return p.GetModelShape() == ModelShape::Solid;
    case kSetCDPosition: return p.HasCDROMInside() != 0;
    case kSetCDImage: return p.HasCDROM() != 0;
    case kSetBinderType:
    case kSetBinderColor: return p.HasBinding() != 0;
    case kSetFoldsShown:
    case kSetFoldsColor: return p.HasFolds() != 0;
    case kSetPaperColor:
    case kSetPageEdges:
    case kSetPageEdgeColor:
    case kSetPageDepthRow:
    case kSetPageDepthFront:
    case kSetPageDepthBack:
    case kSetPageDepthPages: return p.HasPages() != 0;
    default: return true;
    }
}
