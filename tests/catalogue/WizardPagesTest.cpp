#include "TempFolder.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardPages.h"

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

// The pages of catalogue entries by number, before the four closing ones:
// dimensions only when one is editable (a card's depth 0 does not count),
// a page a face, the CD-ROM pages last; media entries only their picture
// choice (the CD-ROM: no family name, no dimensions page).
TEST(WizardPages, OfCatalogueEntries) {
    const Pages box = {"Front's Appearance", "Left's Appearance",   "Right's Appearance",
                       "Top's Appearance",   "Bottom's Appearance", "Back's Appearance"};
    const Pages cd = {"Select CD-ROM Image", "Select CD-ROM Position"};
    const Pages book = {"Book Dimensions", "Front's Appearance", "Spine's Appearance", "Back's Appearance", "Pages' Appearance"};
    const Pages binder = {"Binder Dimensions", "Front's Appearance", "Pages' Appearance", "Binding Style"};
    const auto join = [](Pages a, const Pages& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::pair<int, Pages> rows[] = {
        {15, {"Select Floppy Disk Type"}},
        {25, {"Select zip Disk Type"}},
        {16, {"Select CD-ROM Image"}},
        {1, box},                                           // VHS Box: all dimensions fixed
        {5, join({"Box Dimensions"}, box)},                 // Software Box: depth -50
        {17, join({"Box Dimensions"}, box)},                // Custom Size Box
        {8, join(join({"Box Dimensions"}, box), cd)},
        {6, join(box, cd)},
        {9, {"Front's Appearance"}},                        // Business Card
        {19, {"Business Card Dimensions", "Front's Appearance"}},
        {20, {"Membership Card Dimensions", "Front's Appearance"}},
        {11, book},
        {14, join(book, cd)},
        {28, binder},
        {30, join(binder, cd)},
    };
    for (const auto& [number, pages] : rows) EXPECT_EQ(PagesOf(number), With(pages)) << "entry " << number;
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
