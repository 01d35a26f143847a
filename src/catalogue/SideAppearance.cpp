#include "catalogue/SideAppearance.h"

#include "catalogue/Side.h"
#include "image/Raster.h"
#include "properties/Appearance.h"

bool BuildAppearance(CSide& side)
{
    std::unique_ptr<CRaster> picture = side.TakePicture();
    const bool ok = BuildAppearance(side.GetSettings(), picture, side.GetSecondPicture());
    side.SetPicture(std::move(picture));
    return ok;
}
