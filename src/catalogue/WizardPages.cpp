#include "catalogue/WizardPages.h"

#include "catalogue/product/BackFace.h"
#include "catalogue/product/Product.h"

#include <cstdio>
#include <cstring>

bool NewProjectHasBackFace(const CProduct& product, const ModelEntry& entry) {
    return CanHaveBackFace(product) && entry.sideProvided.empty();
}

std::vector<std::string> GetWizardPages(const CProduct& product, const ModelEntry& entry) {
    std::vector<std::string> pages;
    const std::string family = product.GetFamilyName();
    if (!family.empty() && (entry.width < 0 || entry.height < 0 || entry.depth < 0))
        pages.push_back(family + " Dimensions");
    if (entry.HasSubPicture()) pages.push_back(entry.subTitle);

    static constexpr struct {
        char letter;
        const char* title;
    } kSidePages[] = {
        {'F', "Front's Appearance"}, {'L', "Left's Appearance"},   {'R', "Right's Appearance"},
        {'U', "Top's Appearance"},   {'D', "Bottom's Appearance"}, {'S', "Spine's Appearance"},
    };
    const std::string letters = product.GetSideLetters();
    for (const auto& page : kSidePages) {
        if (letters.find(page.letter) != std::string::npos &&
            entry.sideProvided.find(page.letter) == std::string::npos)
            pages.push_back(page.title);
    }
    if (NewProjectHasBackFace(product, entry)) pages.push_back("Back's Appearance");
    if (product.HasPages()) pages.push_back("Pages' Appearance");
    if (product.HasBinding()) pages.push_back("Binding Style");
    if (product.HasCDROM()) pages.push_back("Select CD-ROM Image");
    if (product.HasCDROMInside()) pages.push_back("Select CD-ROM Position");
    for (const char* title : {"Background's Appearance", "Background Size", "Shadows and Reflections",
                              "Special Effects"})
        pages.push_back(title);
    return pages;
}

std::vector<std::string> GetWizardPages(const ModelEntry& entry) {
    const std::unique_ptr<CProduct> product = CreateProduct(entry.model);
    if (!product) return {};
    return GetWizardPages(*product, entry);
}

std::string GetWizardStepCaption(int position, int count, const std::string& title) {
    char head[64];
    std::snprintf(head, sizeof head, "Step %d of %d: ", position, count);
    return head + title;
}
