#pragma once
// What the 3D engine needs to know about a product to build its solid: the
// kind's shape and capability answers and the render settings.

#include "catalogue/product/Product.h"
#include "engine3d/surface/EngineSettings.h"

struct CModelDescription {
    ModelShape shape = ModelShape::Solid;
    bool hasPages = false;       // top, bottom and right faces are page edges
    bool pagesOnLeft = false;    // left face is a page edge too (binder form)
    bool hasBack = false;        // the back face carries its own picture (else the model has none)
    bool hasCDROM = false;       // a CD-ROM square is part of the model
    bool cdPositionTest = false; // CD-ROM inside: half disc and ordered drawing
    bool hasBinding = false;     // binder rings apply
    bool hasFolds = false;       // Folds Shown / Folds Color apply
    int cornerRounding = 0;      // corner radius of rounded cards, model units
    CEngineSettings settings;

    // The answers and settings of a product.
    static CModelDescription FromProduct(const CProduct& product);

    friend bool operator==(const CModelDescription&, const CModelDescription&) = default;
};
