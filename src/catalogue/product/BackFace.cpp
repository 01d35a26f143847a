#include "catalogue/product/BackFace.h"

#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "catalogue/product/SideAppearance.h"
#include "image/Raster.h"

#include <utility>
#include <vector>

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

namespace {

// The side's settings, pictures and artwork moved into `to`, which was made
// before anything was moved: nothing here can fail half-way.
void MoveSideInto(CSide& from, CSide& to) noexcept
{
    std::swap(to.GetSettings(), from.GetSettings());
    std::shared_ptr<const CVectorArt> art = from.GetPictureArt();
    to.SetPicture(from.TakePicture());
    to.SetPictureArt(std::move(art));
    to.SetSecondPicture(from.TakeSecondPicture());
}

}  // namespace

std::unique_ptr<CSide> TakeBackFace(CProduct& product)
{
    if (product.FindSide(kBackFaceKey) == CProduct::kNotFound)
        return nullptr;
    // A product has no way to drop one side: its sides move into new ones
    // (the pictures move, nothing is copied) and it is filled again without
    // the back.
    std::vector<std::string> keys;
    std::vector<std::unique_ptr<CSide>> sides;
    for (std::size_t i = 0; i < product.GetSideCount(); ++i) {
        keys.push_back(product.GetSideKey(i));
        sides.push_back(std::make_unique<CSide>());
    }
    for (std::size_t i = 0; i < sides.size(); ++i)
        MoveSideInto(product.GetSide(i), *sides[i]);
    product.RemoveAllSides();
    std::unique_ptr<CSide> back;
    for (std::size_t i = 0; i < sides.size(); ++i) {
        if (keys[i] == kBackFaceKey)
            back = std::move(sides[i]);
        else
            product.AddSide(keys[i], std::move(sides[i]));
    }
    return back;
}
