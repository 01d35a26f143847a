// New products from catalogue models: model lookup, the dimension rules
// (fixed, editable, not applicable) and the sides a new project gets.
#include <gtest/gtest.h>

#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/Raster.h"
#include "properties/SettingTable.h"
#include "render/NewProduct.h"

TEST(NewProductModels, LookupByNameSectionAndTab)
{
    const CatalogueEntry* vhs = FindCatalogueModel("VHS Box");
    ASSERT_NE(vhs, nullptr);
    EXPECT_EQ(vhs->number, 1);
    EXPECT_EQ(FindCatalogueModel("vhs box"), vhs);
    EXPECT_EQ(FindCatalogueModel("dmo_box_001.bmp"), vhs);
    EXPECT_EQ(FindCatalogueModel("DMO_BOX_001"), vhs);
    const CatalogueEntry* swcd = FindCatalogueModel("bxc/Software Box");
    ASSERT_NE(swcd, nullptr);
    EXPECT_STREQ(swcd->kind, "BOXCD");
    EXPECT_EQ(FindCatalogueModel("Teapot"), nullptr);
    EXPECT_EQ(FindCatalogueModel(""), nullptr);
}

TEST(NewProductModels, DimensionRules)
{
    struct Case {
        const char* model;
        int w, h, d;
        const char* error;  // nullptr: accepted
    } cases[] = {
        {"VHS Box", 50, 0, 0, "Width is fixed at 103 for this model."},
        {"VHS Box", 103, 0, 0, nullptr},  // the fixed value itself is fine
        {"VHS Box", 0, 0, 29, "Depth is fixed at 28 for this model."},
        {"Software Box", 0, 0, 301, "Depth must be between 1 and 300."},
        {"Software Box", 0, 0, 80, nullptr},
        {"CD-ROM", 10, 0, 0, "Width does not apply to this model."},
        {"Business Card", 0, 0, 3, "Depth does not apply to this model."},
    };
    for (const Case& c : cases) {
        SNewProductOptions o;
        o.width = c.w, o.height = c.h, o.depth = c.d;
        std::string error;
        auto p = BuildNewProduct(*FindCatalogueModel(c.model), o, error);
        if (c.error) {
            EXPECT_EQ(p, nullptr) << c.model;
            EXPECT_EQ(error, c.error) << c.model;
        } else {
            ASSERT_NE(p, nullptr) << c.model << ": " << error;
        }
    }
    SNewProductOptions o;
    o.depth = 80;
    std::string error;
    auto sw = BuildNewProduct(*FindCatalogueModel("Software Box"), o, error);
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->GetSettings().GetReal(ModelKey(kSetProductWidth)), 202.0);
    EXPECT_EQ(sw->GetSettings().GetReal(ModelKey(kSetProductHeight)), 261.0);
    EXPECT_EQ(sw->GetSettings().GetReal(ModelKey(kSetProductDepth)), 80.0);

    for (auto [w, h, msg] : {std::tuple{49, 400, "Width must be between 50 and 999 pixels."},
                             std::tuple{400, 1000, "Height must be between 50 and 999 pixels."}}) {
        SNewProductOptions r;
        r.renderWidth = w, r.renderHeight = h;
        EXPECT_EQ(BuildNewProduct(*FindCatalogueModel("VHS Box"), r, error), nullptr);
        EXPECT_EQ(error, msg);
    }
}

TEST(NewProductModels, SidesAndWorkingPictures)
{
    SNewProductOptions o;
    o.renderWidth = 300;
    o.renderHeight = 200;
    o.magnification = 2;
    std::string error;
    auto box = BuildNewProduct(*FindCatalogueModel("VHS Box"), o, error);
    ASSERT_NE(box, nullptr) << error;
    auto size = [&](const CProduct& p, const char* key) {
        const CSide* s = p.FindSidePtr(key);
        const CRaster* r = s ? s->GetPicture() : nullptr;
        return r ? std::pair{r->GetWidth(), r->GetHeight()} : std::pair{0, 0};
    };
    // 103 x 190 x 28 mm at 3 pixels per millimetre.
    EXPECT_EQ(size(*box, "F"), (std::pair{309, 570}));
    EXPECT_EQ(size(*box, "L"), (std::pair{84, 570}));
    EXPECT_EQ(size(*box, "U"), (std::pair{309, 84}));
    EXPECT_EQ(size(*box, "G"), (std::pair{300, 200}));
    EXPECT_EQ(size(*box, "a"), (std::pair{600, 400}));  // magnification 2
    EXPECT_EQ(size(*box, "y"), (std::pair{600, 400}));
    EXPECT_EQ(size(*box, "x"), (std::pair{300, 200}));
    EXPECT_EQ(size(*box, "z"), (std::pair{300, 200}));
    EXPECT_EQ(box->FindSide("u"), CProduct::kNotFound);  // a box has no pages
    EXPECT_EQ(box->GetSettings().GetInt(ModelKey(kSetMagnification)), 2);

    auto book = BuildNewProduct(*FindCatalogueModel("bkc/Text Book"), SNewProductOptions{}, error);
    ASSERT_NE(book, nullptr) << error;
    for (const char* key : {"u", "d", "r"}) EXPECT_NE(book->FindSide(key), CProduct::kNotFound) << key;
    EXPECT_EQ(book->FindSide("l"), CProduct::kNotFound);
    ASSERT_NE(book->FindSidePtr("C"), nullptr);  // the CD-ROM picture
    auto binder = BuildNewProduct(*FindCatalogueModel("A4 Size Binder"), SNewProductOptions{}, error);
    ASSERT_NE(binder, nullptr) << error;
    EXPECT_NE(binder->FindSide("l"), CProduct::kNotFound);
}

TEST(NewProductModels, MediaModelsGetTheirDrawnFaces)
{
    std::string error;
    for (const char* model : {"3.5\" Floppy Disk", "zip Disk"}) {
        auto p = BuildNewProduct(*FindCatalogueModel(model), SNewProductOptions{}, error);
        ASSERT_NE(p, nullptr) << model << ": " << error;
        for (const char* key : {"F", "U", "D"}) {
            const CSide* side = p->FindSidePtr(key);
            ASSERT_NE(side, nullptr) << model << " " << key;
            EXPECT_EQ(side->GetSettings().GetInt(SideKey(kSideAppearance)), kAppearancePicture) << model << " " << key;
            ASSERT_NE(side->GetPicture(), nullptr);
        }
        // The front is not a blank face: somewhere it differs from white.
        const CRaster* front = p->FindSidePtr("F")->GetPicture();
        bool coloured = false;
        for (int y = 0; y < front->GetHeight() && !coloured; y += 7)
            for (int x = 0; x < front->GetWidth() && !coloured; x += 7)
                coloured = RGBQUADtoRGB(front->GetPixelColor(x, y)) != 0xFFFFFFu;
        EXPECT_TRUE(coloured) << model;
    }
}
