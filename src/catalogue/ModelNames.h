#pragma once
// Names a user types for catalogue models. Several tabs carry models of the
// same display name ("CD Box" on the Box tab and on the Box + CD-ROM tab), so
// each model also has a unique name: its list name, followed by " with
// CD-ROM" for the model of a "+ CD-ROM" tab whose list name another model
// shares. Lookups accept the unique name, the section name and "prefix/name"
// exactly, and otherwise any unambiguous beginning of a unique name, or when
// no name begins so, any unambiguous part of one.

#include <string>
#include <string_view>
#include <vector>

struct CatalogueEntry;

// The model's unique name ("VHS Box", "CD Box with CD-ROM").
std::string GetUniqueModelName(const CatalogueEntry& entry);

struct ModelLookup {
    const CatalogueEntry* entry = nullptr;  // the one model meant, or null
    std::vector<std::string> candidates;    // unique names of the models the name could mean
};

// The model a typed name means. Null entry and no candidates: nothing
// matches; null entry and candidates: the name is ambiguous.
ModelLookup LookUpModel(std::string_view name);
