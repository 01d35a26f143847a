#include "engine3d/model/ModelDescription.h"

#include "catalogue/product/BackFace.h"

CModelDescription CModelDescription::FromProduct(const CProduct& product)
{
    CModelDescription desc;
    desc.shape = product.GetModelShape();
    desc.hasPages = product.HasPages() != 0;
    desc.pagesOnLeft = product.HasPagesOnLeft() != 0;
    desc.hasBack = HasBackFace(product);
    desc.hasCDROM = product.HasCDROM() != 0;
    desc.cdPositionTest = product.TestCDPosition() != 0;
    desc.hasBinding = product.HasBinding() != 0;
    desc.hasFolds = product.HasFolds() != 0;
    desc.cornerRounding = product.GetCornerRounding();
    desc.settings = CEngineSettings::FromStore(product.GetSettings());
    return desc;
}
