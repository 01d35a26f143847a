// Which of the settings that belong to a product's own parts (rounded edges,
// binder, CD-ROM, folds, pages) a product has at all.
#pragma once

#include <cstdint>

class CProduct;

// True for every setting a product of this kind uses; false for a setting of
// a part the product lacks (the binder's settings on a box, the page settings
// on a CD case, the edge radius on a flat or round product).
bool IsSettingOfProduct(const CProduct& product, std::uint32_t settingId);
