#pragma once
// The model catalogue: 32 named, pre-dimensioned models of the product kinds,
// grouped on the eight tabs of the new-project dialog, and their stored form in
// the program settings file.
//
// Dimensions are whole millimetres: a positive value is fixed, a negative one
// is editable with its absolute value as default, 0 means "does not apply".

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

class CIniDocument;
class CIniFile;

struct CatalogueEntry {
    int number;          // running number 1..32, part of the section name
    const char* prefix;  // tab prefix
    const char* name;    // display name
    const char* kind;    // kind code
    int width, height, depth;
    const char* subPattern;    // SUBW: picture file pattern
    const char* subTitle;      // SUBT: page title
    const char* subPrompt;     // SUBD: prompt
    const char* subName;       // SUBS
    const char* sideProvided;  // SIDEPROV
};

struct CatalogueTab {
    const char* prefix;
    const char* caption;
};

// The 32 entries in running-number order.
std::span<const CatalogueEntry> GetCatalogue() noexcept;

// The eight new-project tabs in display order.
std::span<const CatalogueTab> GetCatalogueTabs() noexcept;

// Prefix of the tab selected when the user never chose one.
constexpr const char* kDefaultNewTab = "bok";

// "dmo_%s_%03d.bmp" with the prefix and number, lower-cased.
std::string GetCatalogueSectionName(std::string_view prefix, int number);
std::string GetCatalogueSectionName(const CatalogueEntry& entry);

// A model entry as stored in the program settings file.
struct ModelEntry {
    std::string section;  // the thumbnail's file name
    std::string name;     // "Alias" value (may hold a "/")
    std::string model;    // kind code
    int width = 0, height = 0, depth = 0;
    std::string sideProvided;
    std::string subPattern, subTitle, subPrompt, subName;

    // All four sub-picture values are set.
    bool HasSubPicture() const noexcept {
        return !subPattern.empty() && !subTitle.empty() && !subPrompt.empty() && !subName.empty();
    }
};

ModelEntry MakeModelEntry(const CatalogueEntry& entry);

// Writes the "Alias" key and the entry's section. The SUB keys are written only
// when all four are set (and removed otherwise). False when a write failed
// (the file is then unchanged).
bool WriteModelEntry(const CIniFile& ini, const ModelEntry& entry);
bool WriteModelEntry(CIniDocument& ini, const ModelEntry& entry);

// Writes all 32 entries in one rewrite of the file.
bool WriteCatalogue(const CIniFile& ini);

// Reads an entry back; missing keys read empty or 0.
ModelEntry ReadModelEntry(const CIniFile& ini, std::string_view section);
ModelEntry ReadModelEntry(const CIniDocument& ini, std::string_view section);

// Display name forms: the wizard title turns the first "/" into a space; lists
// show the part before the first "/".
std::string GetWizardTitleName(std::string_view alias);
std::string GetListName(std::string_view alias);

// How the size page shows one dimension.
struct DimensionField {
    bool visible;  // 0 hides the field and its label
    bool enabled;  // negative values are editable
    int value;     // absolute value
};
DimensionField GetDimensionField(int catalogueValue) noexcept;
