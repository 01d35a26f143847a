#include "catalogue/Catalogue.h"

#include "ground/IniFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kFloppyPattern = "dfl_*.bmp";
constexpr const char* kZipPattern = "dzp_*.bmp";

// clang-format off
constexpr CatalogueEntry kCatalogue[] = {
    { 1, "box", "VHS Box", "BOX", 103, 190, 28, "", "", "", "", ""},
    { 2, "box", "Cassette Box", "BOX", 69, 108, 18, "", "", "", "", ""},
    { 3, "box", "CD Box", "BOX", 140, 124, 10, "", "", "", "", ""},
    { 4, "box", "DVD Box", "BOX", 135, 190, 14, "", "", "", "", ""},
    { 5, "box", "Software Box", "BOX", 202, 261, -50, "", "", "", "", ""},
    { 6, "bxc", "CD Box", "BOXCD", 140, 124, 10, "", "", "", "", ""},
    { 7, "bxc", "DVD Box", "BOXCD", 135, 190, 14, "", "", "", "", ""},
    { 8, "bxc", "Software Box", "BOXCD", 202, 261, -50, "", "", "", "", ""},
    { 9, "crd", "Business Card", "CARD", 86, 54, 0, "", "", "", "", ""},
    {10, "crd", "Membership (Rounded)", "RCARD", 86, 54, 0, "", "", "", "", ""},
    {11, "bok", "Magazine", "BOOK", 209, 275, -7, "", "", "", "", ""},
    {12, "bok", "Large Book", "BOOK", 220, 286, -27, "", "", "", "", ""},
    {13, "bok", "Paperback", "BOOK", 110, 176, -25, "", "", "", "", ""},
    {14, "bkc", "Magazine", "BOOKCD", 209, 275, -7, "", "", "", "", ""},
    {15, "med", "3.5\" Floppy Disk", "BOX", 89, 93, 3, kFloppyPattern, "Select Floppy Disk Type",
         "Please choose the type of &Floppy Disk", "Floppy Image", "FUDLR"},
    {16, "med", "CD-ROM", "CD", 0, 0, 0, "", "", "", "", ""},
    {17, "box", "Custom Size Box", "BOX", -202, -261, -50, "", "", "", "", ""},
    {18, "bxc", "Custom Size Box", "BOXCD", -202, -261, -50, "", "", "", "", ""},
    {19, "crd", "Custom Size Business Card", "CARD", -86, -54, 0, "", "", "", "", ""},
    {20, "crd", "Custom Size Membership (Rounded)", "RCARD", -86, -54, 0, "", "", "", "", ""},
    {21, "bok", "Custom Size Book", "BOOK", -124, -176, -50, "", "", "", "", ""},
    {22, "bkc", "Custom Size Book", "BOOKCD", -124, -176, -50, "", "", "", "", ""},
    {23, "bkc", "Text Book", "BOOKCD", 124, 176, -50, "", "", "", "", ""},
    {24, "bok", "Text Book", "BOOK", 124, 176, -50, "", "", "", "", ""},
    {25, "med", "zip Disk", "BOX", 96, 99, 5, kZipPattern, "Select zip Disk Type",
         "Please choose the type of &zip disk", "zip Image", "FUDLR"},
    {26, "bkc", "Large Book", "BOOKCD", 220, 286, -27, "", "", "", "", ""},
    {27, "bin", "Custom Size Binder", "BINDER", -216, -279, -27, "", "", "", "", ""},
    {28, "bin", "A4 Size Binder", "BINDER", 210, 296, -27, "", "", "", "", ""},
    {29, "bin", "A Size Binder", "BINDER", 216, 279, -27, "", "", "", "", ""},
    {30, "bic", "Custom Size Binder", "BINDERCD", -216, -279, -27, "", "", "", "", ""},
    {31, "bic", "A4 Size Binder", "BINDERCD", 210, 296, -27, "", "", "", "", ""},
    {32, "bic", "A Size Binder", "BINDERCD", 216, 279, -27, "", "", "", "", ""},
};

constexpr CatalogueTab kTabs[] = {
    {"bin", "Binder"}, {"bic", "Binder + CD-ROM"}, {"bok", "Book"}, {"bkc", "Book + CD-ROM"},
    {"box", "Box"},    {"bxc", "Box + CD-ROM"},    {"crd", "Card"}, {"med", "Media"},
};
// clang-format on

constexpr const char* kAliasSection = "Alias";

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::span<const CatalogueEntry> GetCatalogue() noexcept { return kCatalogue; }

std::span<const CatalogueTab> GetCatalogueTabs() noexcept { return kTabs; }

std::string GetCatalogueSectionName(std::string_view prefix, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return Lowered("dmo_" + std::string(prefix) + "_" + digits + ".bmp");
}

std::string GetCatalogueSectionName(const CatalogueEntry& entry) {
    return GetCatalogueSectionName(entry.prefix, entry.number);
}

ModelEntry MakeModelEntry(const CatalogueEntry& entry) {
    ModelEntry m;
    m.section = GetCatalogueSectionName(entry);
    m.name = entry.name;
    m.model = entry.kind;
    m.width = entry.width;
    m.height = entry.height;
    m.depth = entry.depth;
    m.sideProvided = entry.sideProvided;
    m.subPattern = entry.subPattern;
    m.subTitle = entry.subTitle;
    m.subPrompt = entry.subPrompt;
    m.subName = entry.subName;
    return m;
}

bool WriteModelEntry(CIniDocument& ini, const ModelEntry& entry) {
    const std::string section = Lowered(entry.section);
    bool ok = ini.PutString(kAliasSection, section, entry.name);
    ok = ok && ini.PutString(section, "MODEL", entry.model);
    ok = ok && ini.PutInt(section, "W", entry.width);
    ok = ok && ini.PutInt(section, "H", entry.height);
    ok = ok && ini.PutInt(section, "D", entry.depth);
    ok = ok && ini.PutString(section, "SIDEPROV", entry.sideProvided);
    if (entry.HasSubPicture()) {
        ok = ok && ini.PutString(section, "SUBW", entry.subPattern);
        ok = ok && ini.PutString(section, "SUBT", entry.subTitle);
        ok = ok && ini.PutString(section, "SUBD", entry.subPrompt);
        ok = ok && ini.PutString(section, "SUBS", entry.subName);
    } else {
        // An incomplete choice is no choice: leave no stale keys behind.
        for (const char* key : {"SUBW", "SUBT", "SUBD", "SUBS"}) ini.DeleteKey(section, key);
    }
    return ok;
}

bool WriteModelEntry(const CIniFile& ini, const ModelEntry& entry) {
    return ini.Update([&](CIniDocument& doc) { return WriteModelEntry(doc, entry); });
}

bool WriteCatalogue(const CIniFile& ini) {
    return ini.Update([](CIniDocument& doc) {
        for (const CatalogueEntry& e : kCatalogue)
            if (!WriteModelEntry(doc, MakeModelEntry(e))) return false;
        return true;
    });
}

ModelEntry ReadModelEntry(const CIniDocument& ini, std::string_view section) {
    ModelEntry m;
    m.section = std::string(section);
    m.name = ini.GetString(kAliasSection, Lowered(section));
    m.model = ini.GetString(section, "MODEL");
    m.width = ini.GetInt(section, "W", 0);
    m.height = ini.GetInt(section, "H", 0);
    m.depth = ini.GetInt(section, "D", 0);
    m.sideProvided = ini.GetString(section, "SIDEPROV");
    m.subPattern = ini.GetString(section, "SUBW");
    m.subTitle = ini.GetString(section, "SUBT");
    m.subPrompt = ini.GetString(section, "SUBD");
    m.subName = ini.GetString(section, "SUBS");
    return m;
}

ModelEntry ReadModelEntry(const CIniFile& ini, std::string_view section) {
    CIniDocument doc;
    doc.Load(ini.GetPath());  // unreadable reads as empty, like a missing file
    return ReadModelEntry(doc, section);
}

std::string GetWizardTitleName(std::string_view alias) {
    std::string out(alias);
    if (const std::size_t slash = out.find('/'); slash != std::string::npos) out[slash] = ' ';
    return out;
}

std::string GetListName(std::string_view alias) { return std::string(alias.substr(0, alias.find('/'))); }

DimensionField GetDimensionField(int catalogueValue) noexcept {
    if (catalogueValue == 0) return DimensionField{false, false, 0};
    if (catalogueValue < 0) return DimensionField{true, true, -catalogueValue};
    return DimensionField{true, false, catalogueValue};
}
