#include "catalogue/product/BackFace.h"

#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "catalogue/product/SideAppearance.h"

bool CanHaveBackFace(const CProduct& product) noexcept
{
    return product.HasDepth() != 0 && product.HasPagesOnLeft() == 0;
}

bool HasBackFace(const CProduct& product) noexcept
{
    return CanHaveBackFace(product) && product.FindSidePtr(kBackFaceKey) != nullptr;
}

bool AddBackFace(CProduct& product, std::string& error)
{
    const CSide* front = product.FindSidePtr("F");
    if (!CanHaveBackFace(product) || front == nullptr) {
        error = std::string("a ") + product.GetKindName() + " has no back face";
        return false;
    }
    if (HasBackFace(product)) {
        error = "the product already has a back face";
        return false;
    }
    std::unique_ptr<CSide> back = front->Clone();
    SettingStore& s = back->GetSettings();
    if (s.GetInt(SideKey(kSideAppearance)) == kAppearancePicture) {
        back->Reset(kAppearanceColor, s.GetInt(SideKey(kSideBaseWidth)), s.GetInt(SideKey(kSideBaseHeight)),
                    0xFFFFFF, s.GetInt(SideKey(kSideMagnification)));
        if (!BuildAppearance(*back)) {
            error = "Out of memory";
            return false;
        }
    }
    product.AddSide(kBackFaceKey, std::move(back));
    return true;
}
