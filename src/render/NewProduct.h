#pragma once
// Builds a new product from a catalogue model without the wizard: dimensions
// from the catalogue (editable ones may be overridden), plain white faces,
// page edges, the working pictures and, for kinds with a CD-ROM, a disc.

#include <memory>
#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"

class CProduct;

struct SNewProductOptions {
    int width = 0, height = 0, depth = 0;  // millimetres; 0 = the catalogue's
    int renderWidth = 400, renderHeight = 400;  // pixels
    int magnification = 1;
};

// Face pictures get this many pixels per millimetre of the product.
constexpr int kFacePixelsPerMm = 3;

// The catalogue entry named by display name (whole alias or the part before
// its "/"), tab prefix and name ("bxc/Software Box"), section name
// ("dmo_box_001.bmp", with or without ".bmp"), any case; the first match wins;
// nullptr when none matches.
const CatalogueEntry* FindCatalogueModel(std::string_view name);

// nullptr with `error` set when an option does not fit the model.
std::unique_ptr<CProduct> BuildNewProduct(const CatalogueEntry& entry, const SNewProductOptions& options,
                                          std::string& error);

// Face picture size in pixels for a face key of a product (base size before
// the side's magnification).
void GetFaceBaseSize(const CProduct& product, char key, int& width, int& height);

// Resets a side to an appearance of the face's base size and builds its picture.
bool ResetFaceAppearance(CProduct& product, char key, int appearance, unsigned colour1,
                         unsigned colour2 = 0xFFFFFF);
