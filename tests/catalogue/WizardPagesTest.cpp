#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardPages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pages = std::vector<std::string>;

const Pages kClosing = {"Background's Appearance", "Background Size", "Shadows and Reflections",
                        "Special Effects"};

Pages With(Pages head) {
    head.insert(head.end(), kClosing.begin(), kClosing.end());
    return head;
}

Pages PagesOf(int number) { return GetWizardPages(MakeModelEntry(GetCatalogue()[number - 1])); }

}  // namespace

TEST(WizardPages, MediaEntriesGetOnlyTheirPictureChoice) {
    EXPECT_EQ(PagesOf(15), With({"Select Floppy Disk Type"}));
    EXPECT_EQ(PagesOf(25), With({"Select zip Disk Type"}));
    EXPECT_EQ(PagesOf(16), With({"Select CD-ROM Image"})) << "CD-ROM: no family name, no dimensions page";
}

TEST(WizardPages, BoxesGetDimensionsOnlyWhenEditable) {
    const Pages boxFaces = {"Front's Appearance", "Left's Appearance", "Right's Appearance", "Top's Appearance",
                            "Bottom's Appearance", "Back's Appearance"};
    EXPECT_EQ(PagesOf(1), With(boxFaces)) << "VHS Box: all dimensions fixed";
    Pages software = {"Box Dimensions"};
    software.insert(software.end(), boxFaces.begin(), boxFaces.end());
    EXPECT_EQ(PagesOf(5), With(software)) << "Software Box: depth -50";
    EXPECT_EQ(PagesOf(17), With(software)) << "Custom Size Box";

    Pages softwareCD = software;
    softwareCD.push_back("Select CD-ROM Image");
    softwareCD.push_back("Select CD-ROM Position");
    EXPECT_EQ(PagesOf(8), With(softwareCD));
    Pages cdBox = boxFaces;
    cdBox.push_back("Select CD-ROM Image");
    cdBox.push_back("Select CD-ROM Position");
    EXPECT_EQ(PagesOf(6), With(cdBox));
}

TEST(WizardPages, CardsBooksAndBinders) {
    EXPECT_EQ(PagesOf(9), With({"Front's Appearance"})) << "Business Card: depth 0 does not count";
    EXPECT_EQ(PagesOf(19), With({"Business Card Dimensions", "Front's Appearance"}));
    EXPECT_EQ(PagesOf(20), With({"Membership Card Dimensions", "Front's Appearance"}));
    EXPECT_EQ(PagesOf(11), With({"Book Dimensions", "Front's Appearance", "Spine's Appearance",
                                 "Back's Appearance", "Pages' Appearance"}));
    EXPECT_EQ(PagesOf(14), With({"Book Dimensions", "Front's Appearance", "Spine's Appearance",
                                 "Back's Appearance", "Pages' Appearance", "Select CD-ROM Image", "Select CD-ROM Position"}));
    EXPECT_EQ(PagesOf(28), With({"Binder Dimensions", "Front's Appearance", "Pages' Appearance", "Binding Style"}));
    EXPECT_EQ(PagesOf(30), With({"Binder Dimensions", "Front's Appearance", "Pages' Appearance", "Binding Style",
                                 "Select CD-ROM Image", "Select CD-ROM Position"}));
}

TEST(WizardPages, ProvidedSidesAndIncompleteSubChoices) {
    ModelEntry m = MakeModelEntry(GetCatalogue()[0]);  // VHS Box
    m.sideProvided = "LR";
    EXPECT_EQ(GetWizardPages(m), With({"Front's Appearance", "Top's Appearance", "Bottom's Appearance"}));
    m.sideProvided = "S";  // a letter the kind does not have changes nothing
    EXPECT_EQ(GetWizardPages(m).size(), 9u);

    ModelEntry floppy = MakeModelEntry(GetCatalogue()[14]);
    floppy.subPrompt.clear();
    EXPECT_EQ(GetWizardPages(floppy), kClosing) << "without all four values there is no picture page";

    ModelEntry unknown = m;
    unknown.model = "box";
    EXPECT_TRUE(GetWizardPages(unknown).empty());
}

TEST(WizardPages, StepCaption) {
    EXPECT_EQ(GetWizardStepCaption(10, 12, "Special Effects"), "Step 10 of 12: Special Effects");
}
