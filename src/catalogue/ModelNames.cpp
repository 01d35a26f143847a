#include "catalogue/ModelNames.h"

#include <cctype>

#include "catalogue/Catalogue.h"

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The "+ CD-ROM" tabs: their kinds hold a CD-ROM the plain tabs' do not.
bool IsCDTab(const CatalogueEntry& entry)
{
    const std::string_view prefix = entry.prefix;
    return prefix == "bxc" || prefix == "bkc" || prefix == "bic";
}

}  // namespace

std::string GetUniqueModelName(const CatalogueEntry& entry)
{
    const std::string name = GetListName(entry.name);
    if (!IsCDTab(entry)) return name;
    for (const CatalogueEntry& other : GetCatalogue())
        if (&other != &entry && GetListName(other.name) == name) return name + " with CD-ROM";
    return name;
}

ModelLookup LookUpModel(std::string_view name)
{
    ModelLookup out;
    const std::string wanted = Lower(name);
    if (wanted.empty()) return out;
    for (const CatalogueEntry& e : GetCatalogue()) {
        std::string section = Lower(GetCatalogueSectionName(e));
        const std::string bare = section.substr(0, section.size() - 4);  // without ".bmp"
        if (wanted == Lower(GetUniqueModelName(e)) || wanted == section || wanted == bare ||
            wanted == Lower(e.prefix) + "/" + Lower(GetListName(e.name))) {
            out.entry = &e;
            return out;
        }
    }
    // Beginnings first ("VHS"), then any part of the name ("floppy").
    for (const bool anywhere : {false, true}) {
        for (const CatalogueEntry& e : GetCatalogue()) {
            const std::string unique = GetUniqueModelName(e);
            const std::size_t at = Lower(unique).find(wanted);
            if (at != std::string::npos && (anywhere || at == 0)) out.candidates.push_back(unique);
        }
        if (!out.candidates.empty()) break;
    }
    if (out.candidates.size() == 1) {
        out.entry = LookUpModel(out.candidates.front()).entry;
        out.candidates.clear();
    }
    return out;
}
