#include "engine3d/ModelSpec.h"

CModelSpec CModelSpec::FromProduct(const CProduct& product)
{
    CModelSpec spec;
    spec.shape = product.GetModelShape();
    spec.hasPages = product.HasPages() != 0;
    spec.pagesOnLeft = product.HasPagesOnLeft() != 0;
    spec.hasCDROM = product.HasCDROM() != 0;
    spec.cdPositionTest = product.TestCDPosition() != 0;
    spec.hasBinding = product.HasBinding() != 0;
    spec.hasFolds = product.HasFolds() != 0;
    spec.cornerRounding = product.GetCornerRounding();
    spec.settings = CEngineSettings::FromStore(product.GetSettings());
    return spec;
}
